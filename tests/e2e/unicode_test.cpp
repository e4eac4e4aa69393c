// Names outside the ANSI code page, in real processes. The fixture pair is
// made in folders with Cyrillic, Greek and CJK names, and both installations
// get a file-system plugin, a command category and description, and a
// button-bar button whose texts hold such letters, plus one plugin whose
// path is longer than 300 characters. Through the wide interface (what the
// harness calls, as the host does) every name and comment arrives intact,
// and the deep plugin is compared and copied out to a path longer still.
// Through the ANSI interface (--ansi) the same pair shows "?" wherever the
// code page has no letter, without a crash and without a text cut short.
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/pe_resources.h"
#include "support/running_pair.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "support/text_bytes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using Lines = std::vector<std::wstring>;

// The installation folders.
const std::wstring kMyName = L"\u041C\u043E\u044F \u03A9 \u6211\u7684";      // "Моя Ω 我的"
const std::wstring kNewName = L"\u041D\u043E\u0432\u0430\u044F \u0394 \u65B0";  // "Новая Δ 新"
// A plugin registered under this name, in a folder of the same name.
const std::wstring kPluginName =
    L"\u0421\u0435\u0442\u044C \u0394\u03AF\u03BA\u03C4\u03C5\u03BF \u7DB2\u7D61";
const std::wstring kPluginFile = L"\u0441\u0435\u0442\u044C.wfx";
// A command category and a command's description in the command list.
const std::wstring kCategory =
    L"\u0412\u043A\u043B\u0430\u0434\u043A\u0438 \u039A\u03B1\u03C1\u03C4\u03AD\u03BB\u03B5\u03C2 "
    L"\u6807\u7B7E";
const std::wstring kDescription =
    L"\u0412\u0438\u0434: \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC \u4E2D\u6587";
// A button-bar button's text and the program it starts.
const std::wstring kButtonText =
    L"\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440 "
    L"\u0395\u03C0\u03B5\u03BE\u03B5\u03C1\u03B3\u03B1\u03C3\u03C4\u03AE\u03C2 \u7F16\u8F91\u5668";
const std::wstring kProgramFolder = L"\u0420\u0435\u0434\u0430\u043A\u0442\u043E\u0440";
const std::wstring kProgramFile = L"\u0440\u0435\u0434\u0430\u043A\u0442\u043E\u0440.exe";

// Six folders of 50 characters: the plugin's path within its installation
// alone is over 300 characters long.
std::wstring DeepFolder() {
  std::wstring path = L"plugins\\wfx\\deep";
  for (int i = 0; i < 6; ++i) {
    path += L"\\\u03B2\u03B1\u03B8\u03CD " + std::to_wstring(i) + L" " + std::wstring(44, L'd');
  }
  return path;
}

std::wstring ReadText(const std::wstring& path) {
  std::string bytes = test::ReadBytes(path);
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
    return text;
  }
  return platform::WideFromAnsi(bytes);
}

// Replaces the first occurrence of `after` by itself followed by `lines`,
// and writes the file as UTF-16, the host's form for such text.
void InsertAfter(const std::wstring& path, const std::wstring& after, const std::wstring& lines) {
  std::wstring text = ReadText(path);
  size_t at = text.find(after);
  if (at == std::wstring::npos) throw std::runtime_error("no anchor in a fixture file");
  text.insert(at + after.size(), lines);
  test::WriteBytes(path, test::Utf16LEFile(text));
}

// A plugin file of the given version.
void MakePlugin(const std::wstring& path, const std::array<WORD, 4>& version) {
  test::CreateDirectories(platform::ExtractFileDir(path));
  ASSERT_TRUE(::CopyFileW(test::BuiltFile(ORVELLE_PLUGIN_FILE).c_str(), path.c_str(), FALSE));
  test::WriteVersionResource(path, version, version, {});
}

// The additions of one side: its configuration file with the plugin
// sections, and the version its plugins have.
void AddUnicodeItems(const std::wstring& dir, const std::wstring& pluginIni,
                     const std::array<WORD, 4>& version, int buttonCount) {
  const std::wstring deep = dir + L"\\" + DeepFolder() + L"\\deep.wfx";
  InsertAfter(pluginIni, L"[FileSystemPlugins]\r\n",
              kPluginName + L"=%COMMANDER_PATH%\\plugins\\wfx\\" + kPluginName + L"\\" +
                  kPluginFile + L"\r\nDeep=%COMMANDER_PATH%\\" + DeepFolder() +
                  L"\\deep.wfx\r\n");
  MakePlugin(dir + L"\\plugins\\wfx\\" + kPluginName + L"\\" + kPluginFile, version);
  MakePlugin(deep, version);

  InsertAfter(dir + L"\\TOTALCMD.INC", L"", L"[________________" + kCategory +
                                                L"________________]=0\r\ncm_UnicodeTabs=5001;" +
                                                kDescription + L"\r\n\r\n");

  const std::wstring program = dir + L"\\TOOLS\\" + kProgramFolder + L"\\" + kProgramFile;
  test::CreateDirectories(platform::ExtractFileDir(program));
  ASSERT_TRUE(::CopyFileW(test::BuiltFile(ORVELLE_HOST_FILE).c_str(), program.c_str(), FALSE));
  const std::wstring n = std::to_wstring(buttonCount + 1);
  InsertAfter(dir + L"\\DEFAULT.BAR", L"[Buttonbar]\r\n",
              L"button" + n + L"=\r\ncmd" + n + L"=%COMMANDER_PATH%\\TOOLS\\" + kProgramFolder +
                  L"\\" + kProgramFile + L"\r\nmenu" + n + L"=" + kButtonText + L"\r\n");
  std::wstring bar = ReadText(dir + L"\\DEFAULT.BAR");
  const std::wstring count = L"Buttoncount=" + std::to_wstring(buttonCount);
  bar.replace(bar.find(count), count.size(), L"Buttoncount=" + n);
  test::WriteBytes(dir + L"\\DEFAULT.BAR", test::Utf16LEFile(bar));
}

test::PairLayout UnicodeLayout() {
  test::PairLayout layout;
  layout.myName = kMyName;
  layout.newName = kNewName;
  layout.change = [](const std::wstring& my, const std::wstring& newDir) {
    AddUnicodeItems(my, my + L"\\wincmd.ini", {1, 0, 0, 0}, 8);
    AddUnicodeItems(newDir, newDir + L"\\INI\\plugins.ini", {1, 5, 0, 0}, 7);
  };
  return layout;
}

Lines SplitTabs(const std::wstring& line) {
  Lines columns;
  for (size_t start = 0;;) {
    size_t tab = line.find(L'\t', start);
    columns.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
    if (tab == std::wstring::npos) return columns;
    start = tab + 1;
  }
}

// The columns of the listing line of one virtual path; empty when none.
Lines LineOf(const test::ProcessResult& run, const std::wstring& path) {
  for (const std::wstring& line : run.OutLines()) {
    Lines c = SplitTabs(line);
    if (c.size() == 7 && c[0] == path) return c;
  }
  return {};
}

// What a text becomes through the ANSI interface: every character the code
// page lacks is a "?".
std::wstring ThroughAnsi(const std::wstring& text) {
  int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        ansi.data(), n, nullptr, nullptr);
  return platform::WideFromAnsi(ansi);
}

const std::wstring kWfx = L"\\totalcmd.exe\\Plugins\\WFX\\";
const std::wstring kDeepFile = kWfx + L"Deep\\Directory\\deep.wfx";

class UnicodePair : public testing::Test {
 protected:
  static void SetUpTestSuite() { pair_ = new test::RunningPair(UnicodeLayout()); }
  static void TearDownTestSuite() {
    delete pair_;
    pair_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(pair_->Ready());
    // The host offers the ANSI code page's letters only through --ansi: the
    // test is about letters outside it.
    ASSERT_NE(ThroughAnsi(kPluginName), kPluginName) << "the ANSI code page holds every letter";
  }

  static test::RunningPair* pair_;
};

test::RunningPair* UnicodePair::pair_ = nullptr;

TEST_F(UnicodePair, TheWideInterfaceListsEveryNameIntactAndCopiesOutTheDeepPlugin) {
  const std::wstring deepMy = pair_->MyDir() + L"\\" + DeepFolder() + L"\\deep.wfx";
  ASSERT_GT(deepMy.size() - pair_->MyDir().size(), 300u);
  test::TempDir out;
  // The copy goes to a path of some 700 characters: the host passes up to 1023.
  std::wstring target = out.Path();
  for (int i = 0; i < 4; ++i) target += L"\\" + std::to_wstring(i) + std::wstring(150, L't');
  ASSERT_TRUE(test::CreateDirectories(target));
  target += L"\\" + kPluginFile;
  ASSERT_GT(target.size(), 600u);

  test::ProcessResult run = pair_->RunMy(L"tree \\ list " + test::QuoteArg(kWfx + L"Deep\\Directory") +
                                         L" get " + test::QuoteArg(kDeepFile) + L" " +
                                         test::QuoteArg(target));
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  const std::wstring all = run.OutText();

  Lines root = LineOf(run, L"\\totalcmd.exe");
  ASSERT_EQ(root.size(), 7u) << all;
  EXPECT_EQ(root[6], pair_->NewDir());
  Lines plugin = LineOf(run, kWfx + kPluginName);
  ASSERT_EQ(plugin.size(), 7u) << all;
  EXPECT_EQ(plugin[5], L">");
  EXPECT_EQ(plugin[6], L"[>] 1.5.0.0 > 1.0.0.0");
  Lines pluginFile = LineOf(run, kWfx + kPluginName + L"\\Directory\\" + kPluginFile);
  ASSERT_EQ(pluginFile.size(), 7u) << all;
  EXPECT_EQ(pluginFile[6], L"1.5.0.0 > 1.0.0.0");

  Lines deep = LineOf(run, kDeepFile);
  ASSERT_EQ(deep.size(), 7u) << all;
  EXPECT_EQ(deep[5], L">");
  EXPECT_EQ(deep[6], L"1.5.0.0 > 1.0.0.0");

  Lines command = LineOf(run, L"\\totalcmd.exe\\Main unit\\Commands\\" + kCategory +
                                  L"\\cm_UnicodeTabs.5001");
  ASSERT_EQ(command.size(), 7u) << all;
  EXPECT_EQ(command[5], L"=");
  EXPECT_EQ(command[6], kDescription);

  Lines program = LineOf(run, L"\\totalcmd.exe\\Applications\\Package include\\" + kProgramFile);
  ASSERT_EQ(program.size(), 7u) << all;
  EXPECT_TRUE(program[6].starts_with(L"Button bar default.bar: ")) << program[6];
  EXPECT_TRUE(program[6].ends_with(L" - " + kButtonText)) << program[6];
  EXPECT_EQ(LineOf(run, L"\\totalcmd.exe\\Applications\\Package include\\" + kProgramFile + L"\\" +
                            kProgramFile)
                .size(),
            7u)
      << all;

  // The settings saved on the first start name My installation's files.
  Lines saved = LineOf(run, L"\\Backup\\1.Total Commander\\0.wincmd.ini");
  ASSERT_EQ(saved.size(), 7u) << all;
  EXPECT_EQ(saved[6], pair_->MyDir() + L"\\wincmd.ini");

  EXPECT_NE(all.find(L"get " + kDeepFile + L" " + target + L" 0 -> 0"), std::wstring::npos) << all;
  const std::string copied = test::ReadBytes(target);
  EXPECT_FALSE(copied.empty());
  EXPECT_EQ(copied, test::ReadBytes(deepMy));
}

TEST_F(UnicodePair, TheAnsiInterfaceShowsQuestionMarksAndCutsNothingShort) {
  test::TempDir out;
  const std::wstring target = out / L"deep.wfx";
  test::ProcessResult run = pair_->RunMy(L"--ansi tree \\ list " +
                                         test::QuoteArg(kWfx + L"Deep\\Directory") + L" get " +
                                         test::QuoteArg(kDeepFile) + L" " +
                                         test::QuoteArg(target));
  ASSERT_FALSE(run.timedOut);
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  const std::wstring all = run.OutText();

  // Whole texts, each letter the code page lacks a "?".
  Lines root = LineOf(run, L"\\totalcmd.exe");
  ASSERT_EQ(root.size(), 7u) << all;
  EXPECT_EQ(root[6], ThroughAnsi(pair_->NewDir()));
  Lines saved = LineOf(run, L"\\Backup\\1.Total Commander\\0.wincmd.ini");
  ASSERT_EQ(saved.size(), 7u) << all;
  EXPECT_EQ(saved[6], ThroughAnsi(pair_->MyDir() + L"\\wincmd.ini"));

  // An entry whose name the ANSI interface cannot carry is listed with the
  // stand-in name; the host asks for its columns and content by that name,
  // which names nothing.
  Lines plugin = LineOf(run, kWfx + ThroughAnsi(kPluginName));
  ASSERT_EQ(plugin.size(), 7u) << all;
  EXPECT_EQ(plugin[1], L"d");
  EXPECT_EQ(plugin[5], L"");
  EXPECT_EQ(plugin[6], L"");
  Lines category =
      LineOf(run, L"\\totalcmd.exe\\Main unit\\Commands\\" + ThroughAnsi(kCategory));
  ASSERT_EQ(category.size(), 7u) << all;
  EXPECT_EQ(all.find(L"cm_UnicodeTabs"), std::wstring::npos);
  Lines program =
      LineOf(run, L"\\totalcmd.exe\\Applications\\Package include\\" + ThroughAnsi(kProgramFile));
  ASSERT_EQ(program.size(), 7u) << all;
  EXPECT_EQ(program[6], L"");

  // The plugins named in plain letters are compared and copied out as ever.
  Lines deep = LineOf(run, kDeepFile);
  ASSERT_EQ(deep.size(), 7u) << all;
  EXPECT_EQ(deep[6], L"1.5.0.0 > 1.0.0.0");
  EXPECT_NE(all.find(L"get " + kDeepFile + L" " + target + L" 0 -> 0"), std::wstring::npos) << all;
  EXPECT_EQ(test::ReadBytes(target),
            test::ReadBytes(pair_->MyDir() + L"\\" + DeepFolder() + L"\\deep.wfx"));
}

}  // namespace
}  // namespace orvelle::e2e
