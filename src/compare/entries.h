// Building blocks of the comparison's entries: plain entries and folders,
// and the entry of a file that one or both installations hold.
#pragma once

#include "tree/tree.h"
#include "util/version_info.h"

#include <windows.h>

#include <string>

namespace orvelle {

// A plain entry at position order of the folder entry parent, whose folder
// path is path.
TVirtualTreeItem MakeEntry(int parent, const std::wstring& path, int order, std::wstring name,
                           HICON icon);
// The same as a folder.
TVirtualTreeItem MakeFolder(int parent, const std::wstring& path, int order, std::wstring name,
                            HICON icon);

// The comment of a compared pair: empty when the files are equal (or there
// was nothing to compare), else New detail + " " + sign + " " + My detail.
std::wstring VerdictInfo(const FileVerdict& verdict);

// The entry of a file pair; an empty path means that side lacks the file.
// Both given: the sign and comment of the verdict (read here with
// CompareFiles when none is given). Only newFile: "*", only myFile: "!",
// with an empty comment. Size, attributes and icon (programs only) come from
// the file the entry shows: newFile when given, else myFile; they stay empty
// when it cannot be found.
TVirtualTreeItem MakeFileEntry(int parent, const std::wstring& path, int order, std::wstring name,
                               const std::wstring& newFile, const std::wstring& myFile,
                               const FileVerdict* verdict = nullptr);

}  // namespace orvelle
