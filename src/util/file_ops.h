// Copying, comparing, creating and deleting files and folders.
#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// The host's progress callback shape (wide form inside the plugin): returns 1
// when the user aborts.
using ProgressFn = int (*)(int pluginNr, const std::wstring& source, const std::wstring& target,
                           int percentDone);

// Copies Source to Target (created or truncated) in blocks of 2048 bytes; no
// attributes or dates carried. False when Source cannot be read or Target
// cannot be created or written; a partly written Target is then deleted.
bool CopyFileBlocks(const std::wstring& source, const std::wstring& target);

// Creates one folder (its parent must exist). False when it cannot be made
// or already exists.
bool CreateFolder(const std::wstring& path);

// CopyFileWithProgress's result when the copy failed (Source not readable,
// Target not creatable, a read or write error).
constexpr int kCopyFailed = -1;

// Copies in blocks of 49152 bytes, calling progress(pluginNr, source, target,
// percent) after each read, before the block is written; an empty source
// reports 100. The last block gives Target the modification date of Source.
// Returns the last value the callback returned (1 = aborted, the partial
// target stays), 0 when source and target are the same path (compared without
// case), kCopyFailed on failure (a partial target is deleted). A write error
// is also shown in a message box ("File copy Error").
int CopyFileWithProgress(const std::wstring& source, const std::wstring& target,
                         ProgressFn progress, int pluginNr);

// Same names (lower-cased, subfolders with "\"), equal non-zero size and
// equal digest of the main file nameInDir in both. The names are compared as
// sets: the order a directory search returns them in differs between folders.
bool SameDirectoryContent(const std::wstring& dirA, const std::wstring& dirB,
                          const std::wstring& nameInDir);

// Deletes everything below dir (clearing read-only, hidden and system first);
// with removeDir also dir itself. A junction or symbolic link to a folder is
// removed as a link; what it points to is left alone. False when anything
// stayed.
bool DeleteDirectoryTree(const std::wstring& dir, bool removeDir);

// Copies the content of sourceDir (sourceDir + "\*.*") into targetDir with the
// shell file operation (silent, no confirmations, missing folders created);
// owner window may be null. True when the shell reports success and nothing
// was aborted. Paths of any length are passed whole.
bool ShellCopyDirectory(const std::wstring& sourceDir, const std::wstring& targetDir, HWND owner);

// Creates every missing level of path. False when the drive (or share root)
// is missing, when path already existed, or a creation failed.
bool CreateDirectoryPath(const std::wstring& path);

}  // namespace orvelle
