// The fixture pair with the New installation running idle and the plugin in
// My installation's plugin folder (where its backup store goes), for the
// end-to-end tests of the operations, and how they read the harness's
// output.
#pragma once

#include "platform/fs.h"
#include "support/fixture_pair.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "support/tree_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvelle::e2e {

class RunningPair {
 public:
  RunningPair() {
    test::PreparePairInstallation(L"my", my_);
    test::PreparePairInstallation(L"new", new_);
    plugin_ = my_ + L"\\" + kPluginFolder + L"\\" + ORVELLE_PLUGIN_FILE;
    test::CreateDirectories(platform::ExtractFileDir(plugin_));
    ::CopyFileW(test::BuiltFile(ORVELLE_PLUGIN_FILE).c_str(), plugin_.c_str(), FALSE);
    std::wstring error;
    auto idle = test::BackgroundProcess::Start(test::QuoteArg(new_ + L"\\totalcmd.exe") + L" /i=" +
                                                   test::QuoteArg(new_ + L"\\wincmd.ini") +
                                                   L" --idle 300",
                                               {}, error);
    if (!idle) {
      ADD_FAILURE() << "cannot start the New installation: " << error;
      return;
    }
    idle_ = std::move(*idle);
    EXPECT_TRUE(idle_.WaitForWindow());
  }

  test::ProcessResult RunMy(const std::wstring& commands) const {
    return test::RunProcess(test::QuoteArg(my_ + L"\\totalcmd.exe") + L" --plugin " +
                            test::QuoteArg(plugin_) + L" " + commands);
  }

  // My installation without the plugin's own folder (the store grows there).
  test::TreeSnapshot My() const { return test::SnapshotTree(my_, {kPluginFolder}); }
  test::TreeSnapshot New() const { return test::SnapshotTree(new_); }
  std::wstring MyPath(const std::wstring& relative) const { return my_ + L"\\" + relative; }
  std::wstring NewPath(const std::wstring& relative) const { return new_ + L"\\" + relative; }
  std::wstring StorePath() const { return MyPath(std::wstring(kPluginFolder) + L"\\backup"); }

  static constexpr wchar_t kPluginFolder[] = L"plugins\\wfx\\Orvelle";

 private:
  test::TempDir root_;
  std::wstring my_ = root_ / L"My installation";
  std::wstring new_ = root_ / L"New installation";
  std::wstring plugin_;
  test::BackgroundProcess idle_;
};

inline bool HasLine(const test::ProcessResult& run, const std::wstring& line) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The sign and comment of a listing line ("name\td\t...\tSIGN\tCOMMENT").
inline bool Listed(const test::ProcessResult& run, const std::wstring& name,
                   const std::wstring& sign, const std::wstring& comment) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) {
    return l.starts_with(name + L"\t") && l.ends_with(L"\t" + sign + L"\t" + comment);
  });
}

inline bool HasLineStarting(const test::ProcessResult& run, const std::wstring& start) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::wstring& l) { return l.starts_with(start); });
}

}  // namespace orvelle::e2e
