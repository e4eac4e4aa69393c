// The fixture pair with the New installation running idle and the plugin in
// My installation's plugin folder (where its backup store goes), for the
// end-to-end tests of the operations, and how they read the harness's
// output.
#pragma once

#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/running_pair.h"
#include "support/tree_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvelle::e2e {

// The shared running pair, with what the operations' tests look at: both
// installations as snapshots and paths, and the plugin's backup store.
class RunningPair {
 public:
  test::ProcessResult RunMy(const std::wstring& commands) const { return pair_.RunMy(commands); }

  // My installation without the plugin's own folder (the store grows there).
  test::TreeSnapshot My() const { return test::SnapshotTree(pair_.MyDir(), {kPluginFolder}); }
  test::TreeSnapshot New() const { return test::SnapshotTree(pair_.NewDir()); }
  std::wstring MyPath(const std::wstring& relative) const {
    return pair_.MyDir() + L"\\" + relative;
  }
  std::wstring NewPath(const std::wstring& relative) const {
    return pair_.NewDir() + L"\\" + relative;
  }
  std::wstring StorePath() const { return MyPath(std::wstring(kPluginFolder) + L"\\backup"); }

  static constexpr wchar_t kPluginFolder[] = L"plugins\\wfx\\Orvelle";

 private:
  test::RunningPair pair_;
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

// Sets [Configuration] LanguageIni in the installation's wincmd.ini (the
// fixture pair's files have the key).
inline void SetLanguageIni(const std::wstring& dir, const std::string& value) {
  const std::wstring ini = dir + L"\\wincmd.ini";
  std::string text = test::ReadBytes(ini);
  const std::string key = "LanguageIni=";
  const size_t at = text.find(key);
  ASSERT_NE(at, std::string::npos);
  const size_t end = text.find_first_of("\r\n", at);
  text.replace(at + key.size(), end - at - key.size(), value);
  test::WriteBytes(ini, text);
}

}  // namespace orvelle::e2e
