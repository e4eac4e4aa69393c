// Where tests find the source tree, the build and its programs, and a
// builder for installation folders that a harness process runs from.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

// The source tree: ORVELLE_SOURCE_DIR, else the folder two levels above the
// build folder when it holds the project (build/64 lies inside the tree).
// Empty when neither is found.
std::wstring SourceDir();

// The build folder: ORVELLE_BINARY_DIR, else the parent of the test
// program's own folder (programs are built into <build>\bin).
std::wstring BinaryDir();

// <build>\bin\ + the file name of a built program or plugin; the e2e side
// passes ORVELLE_PLUGIN_FILE or ORVELLE_HOST_FILE.
std::wstring BuiltFile(const std::wstring& fileName);

// The build folder of the other bitness: ORVELLE_OTHER_BINARY_DIR, else the
// sibling of the build folder named after that bitness (build\32 beside
// build\64). It may not exist.
std::wstring OtherBinaryDir();

// <other build>\bin\ + the file name of a program built there; the e2e side
// passes ORVELLE_OTHER_HOST_FILE.
std::wstring OtherBuiltFile(const std::wstring& fileName);

// What goes into an installation folder.
struct InstallationSpec {
  std::wstring hostFile;                      // the built harness, copied as `exeName`
  std::wstring exeName = L"totalcmd.exe";
  std::wstring pluginFile;                    // copied when set, under its own name,
  std::wstring pluginSubdir = L"plugins\\wfx\\Orvelle";  // into this folder of the installation
  std::optional<std::string> wincmdIni;       // bytes of <dir>\wincmd.ini, when set
  // More files: a path relative to the installation folder, and its bytes.
  std::vector<std::pair<std::wstring, std::string>> files;
};

struct Installation {
  std::wstring dir;         // the program folder, no trailing backslash
  std::wstring exe;         // dir + "\" + exeName
  std::wstring ini;         // dir + "\wincmd.ini" (written only when given)
  std::wstring pluginPath;  // the copied plugin, or empty

  // `"exe" arguments`, the program path quoted.
  std::wstring CommandLine(const std::wstring& arguments) const;
};

// Creates `dir` and fills it as described. Throws std::runtime_error naming
// the file that could not be copied or written.
Installation CreateInstallation(const std::wstring& dir, const InstallationSpec& spec);

}  // namespace orvelle::test
