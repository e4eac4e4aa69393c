// The fixture pair seen through the host's viewer and copy: every entry that
// is not a compared file describes itself, and the root's report entries
// give the whole comparison as HTML and as text, matching the tree.
#include "platform/strings.h"
#include "support/html_dom.h"
#include "support/process_runner.h"
#include "support/running_pair.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

constexpr wchar_t kInst[] = L"\\totalcmd.exe\\";
constexpr std::array<const wchar_t*, 8> kSigns = {L">", L"<", L"<>", L"*", L"!", L"=", L"*!", L"!*"};

struct Described {
  const wchar_t* kind;
  std::wstring entry;  // below the installation folder, or from the root
  std::vector<std::wstring> contains;
};

const std::vector<Described>& DescribedEntries() {
  static const std::vector<Described> entries = {
      {L"command", std::wstring(kInst) + L"Main unit\\Commands\\Configuration\\cm_DisplayConfig.487",
       {L"Sign:    <> - different", L"Conf: Display", L"Text  487: Conf: Display | 486: Conf: Display",
        L"Text Compare Information"}},
      {L"icon", std::wstring(kInst) + L"Main unit\\Icons\\totalcmd.exe\\7.ico", {L"<> - different"}},
      {L"plugin folder", std::wstring(kInst) + L"Plugins\\WFX\\FTP",
       {L"> - New is newer", L"ftp.wfx", L"1.5.0.0", L"1.0.0.0", L"Entries:", L"Delete", L"Update"}},
      {L"registration", std::wstring(kInst) + L"Plugins\\WDX\\exif.wdx\\Detect",
       {L"<> - different", L"EXT=\"JPG\" | EXT=\"JPEG\" | EXT=\"PNG\""}},
      {L"application", std::wstring(kInst) + L"Applications\\Package include\\sync.exe",
       {L"only in the New installation", L"Button bar default.bar: 5 - Synchronise", L"sync.exe"}},
      {L"version", std::wstring(kInst) + L"Main unit\\Version", {L"11.1.0.0", L"Program file"}},
      {L"EXE modified", std::wstring(kInst) + L"Main unit\\EXE modified", {L"MD5 digest", L"Program file"}},
      {L"delete action", std::wstring(kInst) + L"Plugins\\WFX\\FTP\\Delete", {L"asks \"Delete?\""}},
      {L"backup", L"\\Backup\\1.Total Commander\\0.wincmd.ini", {L"Backup", L"asks \"Restore?\""}},
      {L"about", L"\\About...", {L"About dialog"}},
  };
  return entries;
}

struct TreeLine {
  std::wstring folder, name, kind, sign, comment;
};

std::vector<std::wstring> Split(const std::wstring& line) {
  std::vector<std::wstring> c;
  for (size_t start = 0;;) {
    size_t tab = line.find(L'\t', start);
    c.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
    if (tab == std::wstring::npos) return c;
    start = tab + 1;
  }
}

std::wstring Utf8File(const std::wstring& path) {
  std::string bytes = test::ReadBytes(path);
  if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
  return platform::WideFromAnsi(bytes, CP_UTF8);
}

class Reports : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    pair_ = std::make_unique<test::RunningPair>();
    if (!pair_->Ready()) return;
    out_ = std::make_unique<test::TempDir>();
    std::wstring commands = L"tree \\ list \\Backup";
    for (size_t i = 0; i < DescribedEntries().size(); ++i) {
      commands += L" get " + QuoteArg(DescribedEntries()[i].entry) + L" " +
                  QuoteArg(*out_ / std::to_wstring(i)) + L" 0";
    }
    commands += L" get \\Report.html " + QuoteArg(*out_ / L"report.html") + L" 0";
    commands += L" get \\Report.txt " + QuoteArg(*out_ / L"report.txt") + L" 0";
    // Alt+Enter: the dialog Enter opens, and never an operation.
    commands += L" exec " + QuoteArg(DescribedEntries()[0].entry) + L" properties";
    commands += L" exec " + QuoteArg(DescribedEntries()[7].entry) + L" properties";
    commands += L" exec \\Report.html properties";
    run_ = pair_->RunMy(L"--press \"\" " + commands);
    for (const std::wstring& line : run_.OutLines()) {
      if (!line.starts_with(kInst)) continue;
      std::vector<std::wstring> c = Split(line);
      if (c.size() != 7) continue;
      const size_t slash = c[0].rfind(L'\\');
      tree_.push_back({c[0].substr(1, slash - 1), c[0].substr(slash + 1), c[1], c[5], c[6]});
    }
  }
  static void TearDownTestSuite() {
    pair_.reset();
    out_.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(pair_ && pair_->Ready());
    ASSERT_EQ(run_.exitCode, 0u) << run_.ErrText();
    ASSERT_GT(tree_.size(), 200u) << run_.OutText();
  }

  static std::unique_ptr<test::RunningPair> pair_;
  static std::unique_ptr<test::TempDir> out_;
  static test::ProcessResult run_;
  static std::vector<TreeLine> tree_;
};

std::unique_ptr<test::RunningPair> Reports::pair_;
std::unique_ptr<test::TempDir> Reports::out_;
test::ProcessResult Reports::run_;
std::vector<TreeLine> Reports::tree_;

TEST_F(Reports, EveryKindOfEntryDescribesItselfInUtf8WithCrLf) {
  for (size_t i = 0; i < DescribedEntries().size(); ++i) {
    const Described& d = DescribedEntries()[i];
    SCOPED_TRACE(testing::Message() << d.kind);
    const std::wstring local = *out_ / std::to_wstring(i);
    EXPECT_NE(run_.OutText().find(L"get " + d.entry + L" " + local + L" 0 -> 0"), std::wstring::npos)
        << run_.OutText();
    const std::string bytes = test::ReadBytes(local);
    ASSERT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
    for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
      ASSERT_EQ(bytes[at - 1], '\r') << "a line end without CR at byte " << at;
    }
    const std::wstring text = Utf8File(local);
    EXPECT_EQ(text.rfind(d.entry + L"\r\n", 0), 0u) << text;
    for (const std::wstring& piece : d.contains) {
      EXPECT_NE(text.find(piece), std::wstring::npos) << piece << "\n" << text;
    }
  }
}

TEST_F(Reports, PropertiesOpensTheDialogAndStartsNothing) {
  const std::wstring out = run_.OutText();
  EXPECT_NE(out.find(L"dialog \"Text Compare Information\""), std::wstring::npos) << out;
  EXPECT_NE(out.find(L"exec " + DescribedEntries()[7].entry + L" properties -> 0"), std::wstring::npos);
  EXPECT_EQ(out.find(L"msgbox"), std::wstring::npos) << out;
  EXPECT_EQ(out.find(L"DELETED!"), std::wstring::npos) << out;
}

// The HTML report read by a strict parser: every difference of the tree
// under its folder with its sign, and per folder the tree's own counts.
TEST_F(Reports, TheHtmlReportHoldsEveryDifferenceAndTheTreesCounts) {
  std::wstring error;
  std::optional<test::HtmlElement> doc = test::ParseStrictHtml(Utf8File(*out_ / L"report.html"), error);
  ASSERT_TRUE(doc) << error;
  EXPECT_TRUE(doc->All(L"script").empty());
  EXPECT_TRUE(doc->All(L"link").empty());

  // Sections: folder -> rows (sign, text).
  std::map<std::wstring, std::vector<const test::HtmlElement*>> sections;
  for (const test::HtmlElement* s : doc->All(L"section")) {
    sections[s->Attribute(L"data-path")] = s->All(L"tr");
  }
  std::map<std::wstring, std::array<int, kSigns.size()>> counts;
  size_t differences = 0;
  for (const TreeLine& t : tree_) {
    size_t column = kSigns.size();
    for (size_t c = 0; c < kSigns.size(); ++c) {
      if (t.sign == kSigns[c]) column = c;
    }
    // A folder holding only-New and only-My entries shows "!*" too.
    if (column == kSigns.size() || (t.kind == L"d" && t.sign == L"!*")) continue;
    ++counts[t.folder][column];
    if (t.sign == L"=") continue;
    ++differences;
    const std::wstring shown = t.name + (t.kind == L"d" ? L"\\" : L"");
    bool found = false;
    for (const test::HtmlElement* row : sections[t.folder]) {
      found = found || (row->Attribute(L"data-sign") == t.sign &&
                        row->All(L"td").size() >= 2 && row->All(L"td")[1]->text == shown);
    }
    EXPECT_TRUE(found) << t.folder << "\\" << t.name << " " << t.sign;
  }
  EXPECT_GT(differences, 50u);

  size_t rows = 0;
  for (const test::HtmlElement* table : doc->All(L"table")) {
    if (table->Attribute(L"class") != L"summary") continue;
    for (const test::HtmlElement* row : table->All(L"tr")) {
      const std::wstring folder = row->Attribute(L"data-path");
      if (folder.empty()) continue;
      ++rows;
      std::vector<const test::HtmlElement*> cells = row->All(L"td");
      ASSERT_EQ(cells.size(), kSigns.size() + 1) << folder;
      for (size_t c = 0; c < kSigns.size(); ++c) {
        EXPECT_EQ(cells[c + 1]->Attribute(L"data-sign"), kSigns[c]);
        const int want = counts[folder][c];
        EXPECT_EQ(cells[c + 1]->text, want == 0 ? L"" : std::to_wstring(want)) << folder << " " << kSigns[c];
      }
    }
  }
  size_t countedFolders = 0;
  for (const auto& [folder, n] : counts) countedFolders += folder.empty() ? 0 : 1;
  EXPECT_EQ(rows, countedFolders);
  // Both installations by path and version.
  EXPECT_NE(doc->text.find(pair_->NewDir()), std::wstring::npos);
  EXPECT_NE(doc->text.find(pair_->MyDir()), std::wstring::npos);
  EXPECT_NE(doc->text.find(L"11.1.0.0"), std::wstring::npos);
}

TEST_F(Reports, TheTextReportListsTheSameDifferences) {
  ASSERT_EQ(test::ReadBytes(*out_ / L"report.txt").rfind("\xEF\xBB\xBF", 0), 0u);
  const std::wstring text = Utf8File(*out_ / L"report.txt");
  for (const TreeLine& t : tree_) {
    if (t.sign == L"=" || std::find(kSigns.begin(), kSigns.end(), t.sign) == kSigns.end() ||
        (t.kind == L"d" && t.sign == L"!*")) {
      continue;
    }
    const std::wstring line = t.sign + std::wstring(3 - std::min<size_t>(3, t.sign.size()), L' ') +
                              L" " + t.name + (t.kind == L"d" ? L"\\" : L"") + L"  (";
    EXPECT_NE(text.find(L"\r\n  " + line), std::wstring::npos) << line;
  }
}

}  // namespace
}  // namespace orvelle::e2e
