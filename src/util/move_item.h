// Moving a file or a whole folder to another path, also to another volume.
//
// A rename is all or nothing; the system refuses it for a folder whose
// target lies on another volume (a portable installation on a USB stick and
// the plugin on the system drive). There the folder is copied whole
// (attributes and dates kept), the copy compared with its source, and only
// then is the source removed; a failure at any step removes the copy and
// leaves the source as it was.
#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// Moves from to to (which must not exist). 0 when done; otherwise the
// system's error code, and from stands as it stood. A folder that holds
// links (junctions, symbolic links) is not copied across volumes: what they
// point to is no part of it, and a copy would not keep them as links
// (ERROR_NOT_SUPPORTED).
DWORD MoveItem(const std::wstring& from, const std::wstring& to);

// Copies a folder whole into to (which must not exist): every file and
// subfolder with its attributes and last-write time. 0 when done, else the
// system's error code (what was copied so far stays, for the caller to
// remove). Links are refused as above.
DWORD CopyFolderTree(const std::wstring& from, const std::wstring& to);

// Whether two folders hold the same names, kinds and bytes throughout.
bool SameFolderTree(const std::wstring& a, const std::wstring& b);

// The system's text for an error code, without its line end ("Error N" when
// the system has none).
std::wstring SystemMessage(DWORD error);

}  // namespace orvelle
