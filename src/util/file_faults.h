// A seam for tests that make the plugin's own file operations fail, one at a
// time, as the system would (a full disk, a file held open by another
// program, a folder without access rights). It proves that no failure of a
// change to the host's settings leaves a file missing, half written or
// changed without its backup, and that a folder that cannot be read is not
// taken for an empty one. The plugin itself never sets a hook.
#pragma once

#include <functional>
#include <string>

namespace orvelle {

enum class FileStep {
  CreateFolder,  // a folder of the backup store
  CopyFile,      // a block copy into the backup store
  WriteFile,     // a new or replacement file written whole
  Rename,        // one rename of a swap
  DeleteFile,    // the old file dropped after a swap
  ListFolder,    // a folder of an installation listed for the comparison
  ReadFile,      // a read of a program's or icon file's resources
  Flush,         // a file of a flush group flushed to the disk
};

// Answers true for a step that is to fail; path is the file or folder made,
// written, renamed or deleted.
using FileFaultHook = std::function<bool(FileStep step, const std::wstring& path)>;

// Installs hook (an empty one removes it) and returns the one it replaces.
FileFaultHook SetFileFaultHook(FileFaultHook hook);

// True when a test's hook wants this step to fail; the caller then behaves
// as if the system call had failed (last error ERROR_WRITE_FAULT).
bool InjectedFileFault(FileStep step, const std::wstring& path);

}  // namespace orvelle
