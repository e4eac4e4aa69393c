// A unique folder under the Windows temp folder, removed with its content when
// the test ends, and small file helpers for tests that write files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orvelle::test {

class TempDir {
 public:
  TempDir();
  // Under another folder than the temp folder (which must exist), for
  // example one on another volume.
  explicit TempDir(const std::wstring& parent);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& Path() const { return path_; }
  // Path + "\" + name.
  std::wstring operator/(std::wstring_view name) const;

 private:
  std::wstring path_;
};

// A folder on another volume than the temp folder, where one is known:
// under Wine, Z:\dev\shm (a tmpfs) is one. Empty when none exists; a
// rename of a folder between the two fails as between Windows drives.
std::wstring OtherVolumeFolder();

// Whole-file byte access; ReadBytes gives an empty string for a missing file.
// WriteBytes creates the folders above the file and throws when it cannot
// write it.
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::string ReadBytes(const std::wstring& path);
// The text converted to the code page (no byte-order mark), written whole.
void WriteText(const std::wstring& path, std::wstring_view text, UINT codePage = CP_ACP);

// Creates the folder and the folders above it; true when it exists afterwards.
bool CreateDirectories(const std::wstring& path);
// Removes a folder with everything in it (read-only files too), or a file;
// true when it is gone afterwards.
bool DeleteTree(const std::wstring& path);

// A file of the source tree, from SourceDir() (test_paths.h) and a path
// relative to it with backslashes.
std::wstring SourceFile(std::wstring_view relative);

}  // namespace orvelle::test
