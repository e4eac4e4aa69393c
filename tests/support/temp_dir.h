// A unique folder under the Windows temp folder, removed with its content when
// the test ends, and small file helpers for tests that write files.
#pragma once

#include <string>
#include <string_view>

namespace orvelle::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& Path() const { return path_; }
  // Path + "\" + name.
  std::wstring operator/(std::wstring_view name) const;

 private:
  std::wstring path_;
};

// Whole-file byte access; ReadBytes gives an empty string for a missing file.
void WriteBytes(const std::wstring& path, std::string_view bytes);
std::string ReadBytes(const std::wstring& path);

// A file of the source tree, from ORVELLE_SOURCE_DIR (a Windows path) and a
// path relative to it with backslashes.
std::wstring SourceFile(std::wstring_view relative);

}  // namespace orvelle::test
