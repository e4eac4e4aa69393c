#include "util/text_file_edit.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::SourceFile;
using test::TempDir;
using test::WriteBytes;

const char kIni[] =
    "; comment\r\n"    // 1
    "[First]\r\n"      // 2
    "Key=alpha\r\n"    // 3
    "other=Key\r\n"    // 4
    "[Second]\r\n"     // 5
    "key=beta\r\n"     // 6
    "KEY=gamma\r\n"    // 7
    "[Third\r\n"       // 8: no "]", so no section
    "key=delta\r\n";   // 9

struct Hit {
  int line;
  int column;
};

// Runs Find until it fails and lists where it matched.
std::vector<Hit> FindAll(TTextFileFind& find, const std::wstring& subStr) {
  std::vector<Hit> hits;
  while (find.Find(subStr)) hits.push_back({find.LineNumber, find.FoundColumn});
  return hits;
}

bool operator==(const Hit& a, const Hit& b) { return a.line == b.line && a.column == b.column; }
void PrintTo(const Hit& h, std::ostream* os) { *os << "(" << h.line << "," << h.column << ")"; }

TEST(TextFileFind, ConsecutiveFindsHonourRangeColumnCaseAndSection) {
  TempDir dir;
  WriteBytes(dir / L"t.ini", kIni);
  struct Case {
    const char* what;
    std::function<void(TTextFileFind&)> setup;
    const wchar_t* subStr;
    std::vector<Hit> hits;
  };
  const Case cases[] = {
      {"defaults", [](TTextFileFind&) {}, L"key", {{3, 1}, {4, 7}, {6, 1}, {7, 1}, {9, 1}}},
      {"case kept", [](TTextFileFind& f) { f.IgnoreCase = false; }, L"key", {{6, 1}, {9, 1}}},
      {"start line", [](TTextFileFind& f) { f.StartLine = 4; }, L"key", {{4, 7}, {6, 1}, {7, 1}, {9, 1}}},
      {"end line", [](TTextFileFind& f) { f.EndLine = 5; }, L"key", {{3, 1}, {4, 7}}},
      {"end line stops reading", [](TTextFileFind& f) { f.EndLine = 5; }, L"beta", {}},
      {"column 1", [](TTextFileFind& f) { f.Column = 1; }, L"key", {{3, 1}, {6, 1}, {7, 1}, {9, 1}}},
      {"column 7", [](TTextFileFind& f) { f.Column = 7; }, L"key", {{4, 7}}},
      {"column past the end", [](TTextFileFind& f) { f.Column = 40; }, L"key", {}},
      {"section", [](TTextFileFind& f) { f.SectionFilter = L"[Second]"; }, L"key", {{6, 1}, {7, 1}}},
      {"section, case kept",
       [](TTextFileFind& f) {
         f.SectionFilter = L"[Second]";
         f.IgnoreCase = false;
       },
       L"key", {{6, 1}}},
      {"empty substring", [](TTextFileFind&) {}, L"", {}},
  };
  for (const Case& c : cases) {
    TTextFileFind find(dir / L"t.ini");
    ASSERT_FALSE(find.OpenFailed);
    c.setup(find);
    EXPECT_EQ(FindAll(find, c.subStr), c.hits) << c.what;
  }
}

TEST(TextFileFind, ReportsLineAndEnd) {
  TempDir dir;
  WriteBytes(dir / L"t.ini", kIni);
  TTextFileFind find(dir / L"t.ini");
  ASSERT_TRUE(find.Find(L"GAMMA"));
  EXPECT_EQ(find.Line, L"KEY=gamma");
  EXPECT_EQ(find.FoundColumn, 5);
  EXPECT_FALSE(find.AtEnd);
  EXPECT_FALSE(find.Find(L"nothing"));
  EXPECT_TRUE(find.AtEnd);
  EXPECT_EQ(find.LineNumber, 9);

  TTextFileFind missing(dir / L"missing.ini");
  EXPECT_TRUE(missing.OpenFailed);
  EXPECT_FALSE(missing.Find(L"key"));

  WriteBytes(dir / L"empty.ini", "");
  TTextFileFind empty(dir / L"empty.ini");
  EXPECT_FALSE(empty.OpenFailed);
  EXPECT_TRUE(empty.AtEnd);
  EXPECT_FALSE(empty.Find(L"key"));
}

TEST(TextFileFind, SearchesRealUtf16Configurations) {
  TTextFileFind plugins(SourceFile(L"fixtures\\real-world\\chchoiw-TC\\WinCMD.ini"));
  ASSERT_FALSE(plugins.OpenFailed);
  plugins.SectionFilter = L"[FileSystemPlugins]";
  ASSERT_TRUE(plugins.Find(L"\u5B89\u5168 ftp="));
  EXPECT_EQ(plugins.Line, L"\u5B89\u5168 FTP=%COMMANDER_PATH%\\Plugins\\Wfx\\SFTP\\SFTP.wfx64");

  TTextFileFind mode(SourceFile(L"fixtures\\real-world\\turboBasic-totalcommander\\wincmd.ini"));
  mode.SectionFilter = L"[Configuration]";
  ASSERT_TRUE(mode.Find(L"UseIniInProgramDir"));
  EXPECT_EQ(mode.Line, L"UseIniInProgramDir=7");
  EXPECT_EQ(mode.LineNumber, 4);  // the empty first line after the mark counts
}

}  // namespace
}  // namespace orvelle
