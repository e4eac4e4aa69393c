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
// attributes or dates carried. Always true.
bool CopyFileBlocks(const std::wstring& source, const std::wstring& target);

// Copies in blocks of 49152 bytes, calling progress(pluginNr, source, target,
// percent) after each read; an empty source reports 100. Returns the last
// value the callback returned (1 = aborted, the partial target stays), 0 when
// source and target are the same string. A write error shows a message box.
int CopyFileWithProgress(const std::wstring& source, const std::wstring& target,
                         ProgressFn progress, int pluginNr);

// Same names (lower-cased, subfolders with "\") in the same order, equal size
// and digest of the main file NameInDir in both.
bool SameDirectoryContent(const std::wstring& dirA, const std::wstring& dirB,
                          const std::wstring& nameInDir);

// Deletes everything below dir (clearing read-only, hidden and system first);
// with removeDir also dir itself. False when anything stayed.
bool DeleteDirectoryTree(const std::wstring& dir, bool removeDir);

// Copies the content of sourceDir into targetDir with the shell file
// operation (silent, no confirmations); owner window may be null.
bool ShellCopyDirectory(const std::wstring& sourceDir, const std::wstring& targetDir, HWND owner);

// Creates every missing level of path. False when the drive is missing, when
// path already existed, or a creation failed.
bool CreateDirectoryPath(const std::wstring& path);

// Frees the module while the process has it loaded; false when it was not.
bool UnloadModule(const std::wstring& moduleFileName);

}  // namespace orvelle
