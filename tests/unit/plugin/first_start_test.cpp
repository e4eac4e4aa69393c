// The first start in a user's installation: the settings are saved before
// anything of them is written, the saved searches and colour filters are
// added with every other byte kept, and no failure on the way loses or
// half-writes a file.
#include "plugin/build_steps.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "plugin/state.h"
#include "support/mini_installation.h"
#include "support/temp_dir.h"
#include "tree/vars_conts.h"
#include "unit/tc/tc_test_helpers.h"
#include "util/file_faults.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr char kMenu[] = "POPUP \"&Files\"\r\n  MENUITEM \"E&xit\", cm_Exit\r\nEND_POPUP\r\n";

// My installation in a folder of its own, with the plugin in its plugins
// folder, and the process environment the host gives the plugin.
class FirstStart {
 public:
  // iniName: the configuration's file name; bytes: its content.
  FirstStart(const std::wstring& iniName, const std::string& bytes)
      : ini_(dir_ / iniName),
        pluginDir_(dir_ / L"plugins\\wfx\\Orvelle\\"),
        commanderIni_(L"COMMANDER_INI", ini_),
        commanderPath_(L"COMMANDER_PATH", dir_.Path()) {
    WriteBytes(ini_, bytes);
    WriteBytes(dir_ / L"totalcmd.exe", "MZ");
    WriteBytes(dir_ / L"TOTALCMD.INC", "[_File_]=0\r\ncm_Exit=24340;Exit\r\n");
    WriteBytes(dir_ / L"LANGUAGE\\WCMD_ENG.MNU", kMenu);
    test::CreateDirectories(pluginDir_);
  }

  // Runs the start up to the comparison, as the tree driver does.
  bool Run() {
    state_ = std::make_unique<PluginState>();
    state_->Identity.HostProgramFile = dir_ / L"totalcmd.exe";
    state_->Identity.PluginDir = pluginDir_;
    test::MessageRecorder boxes;
    const bool ok = PrepareMyInstallation(*state_);
    messages_ = boxes.texts;
    return ok;
  }

  const std::wstring& Ini() const { return ini_; }
  const TempDir& Dir() const { return dir_; }
  std::wstring Store() const { return pluginDir_ + L"backup"; }
  const std::vector<std::wstring>& Warnings() const { return state_->Tree.Warnings; }
  const std::vector<std::wstring>& Messages() const { return messages_; }
  const TTC& Model() const { return *state_->MyModel; }

  // The "-s" folders of the store.
  std::vector<std::wstring> SettingsBackups() const {
    std::vector<std::wstring> folders;
    for (const platform::FileEntry& e : platform::EnumFiles(Store() + L"\\*")) {
      if (e.IsDirectory() && e.name.ends_with(L"-s")) folders.push_back(Store() + L"\\" + e.name);
    }
    return folders;
  }

  // The configuration as the settings backup saved it; empty when there is
  // no (single) backup.
  std::string SavedIni() const {
    std::vector<std::wstring> folders = SettingsBackups();
    if (folders.size() != 1) return {};
    return ReadBytes(folders[0] + L"\\0." + platform::ExtractFileName(ini_));
  }

 private:
  TempDir dir_;
  std::wstring ini_;
  std::wstring pluginDir_;
  test::ScopedEnvironment commanderIni_;
  test::ScopedEnvironment commanderPath_;
  std::unique_ptr<PluginState> state_;
  std::vector<std::wstring> messages_;
};

// Whether the key of a line in a colours section is "ColorFilter" + N +
// anything with N from 1 to 99999; its digits are then at [start, end).
bool NumberedFilterKey(const std::wstring& line, size_t& start, size_t& end) {
  const std::wstring lower = platform::LowerCase(line);
  start = lower.find_first_not_of(L" \t");
  if (start == std::wstring::npos || lower.compare(start, 11, L"colorfilter") != 0) return false;
  start += 11;
  end = start;
  while (end < lower.size() && iswdigit(lower[end])) ++end;
  const size_t eq = lower.find(L'=');
  if (end == start || end - start > 5 || eq == std::wstring::npos || eq < end) return false;
  return std::stoi(lower.substr(start, end - start)) >= 1;
}

bool IsPluginLine(const std::wstring& line) {
  size_t start = 0, end = 0;
  return (line.starts_with(L"Orvelle ") && line.find(L"_Search") != std::wstring::npos) ||
         (NumberedFilterKey(line, start, end) && std::stoi(line.substr(start, end - start)) <= 7);
}

// The configuration as it was before the plugin's additions: the sections
// it appended at the end, the searches named after it and the filters 1-7
// of the colours sections dropped, the user's filters numbered back.
// Independent of how the plugin made them.
std::string WithoutAdditions(const std::string& bytes) {
  const TextDocument doc = DecodeText(bytes);
  // Appended sections: from a header as the plugin writes it, nothing but
  // its lines up to the end.
  size_t kept = doc.lines.size();
  for (size_t i = doc.lines.size(); i-- > 0;) {
    const std::wstring& line = doc.lines[i];
    if (line == L"[Searches]" || line == L"[Colors]") {
      kept = i;
    } else if (!IsPluginLine(line)) {
      break;
    }
  }
  TextDocument out = doc;
  out.lines.clear();
  out.lineEnds.clear();
  bool inColours = false;
  for (size_t i = 0; i < kept; ++i) {
    std::wstring line = doc.lines[i];
    const std::wstring trimmed = platform::Trim(line);
    size_t start = 0, end = 0;
    if (!trimmed.empty() && trimmed[0] == L'[') {
      inColours = platform::LowerCase(trimmed).starts_with(L"[colors]");
    } else if (line.starts_with(L"Orvelle ") && line.find(L"_Search") != std::wstring::npos) {
      continue;
    } else if (inColours && NumberedFilterKey(line, start, end)) {
      const int n = std::stoi(line.substr(start, end - start));
      if (n <= 7) continue;
      line.replace(start, end - start, std::to_wstring(n - 7));
    }
    out.lines.push_back(line);
    out.lineEnds.push_back(doc.LineEndOf(i));
  }
  return EncodeText(out);
}

int CountLines(const std::string& bytes, std::wstring_view part) {
  int n = 0;
  for (const std::wstring& line : DecodeText(bytes).lines) {
    if (line.find(part) != std::wstring::npos) ++n;
  }
  return n;
}

TEST(FirstStart, RealConfigurationsKeepEveryByteAndTheUntouchedFileIsSavedFirst) {
  struct Case {
    const wchar_t* fixture;
    const wchar_t* iniName;
  };
  const Case cases[] = {
      {L"chchoiw-TC\\WinCMD.ini", L"WinCMD.ini"},
      {L"hulucc-totalcmd\\wincmd.ini", L"wincmd.ini"},
      {L"pozitronik-TCConfig\\wincmd.ini", L"wincmd.ini"},
      {L"taurit-TotalCommander\\wincmd.ini", L"wincmd.ini"},
      {L"turboBasic-totalcommander\\wincmd.ini", L"wincmd.ini"},
      {L"wulmer-totalcmd\\wincmd.ini", L"wincmd.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << platform::AnsiFromWide(c.fixture, CP_UTF8));
    const std::string original = ReadBytes(test::RealWorldFile(c.fixture));
    ASSERT_FALSE(original.empty());
    FirstStart start(c.iniName, original);
    ASSERT_TRUE(start.Run());
    EXPECT_TRUE(start.Messages().empty());
    ASSERT_TRUE(start.Warnings().empty()) << platform::AnsiFromWide(start.Warnings().front(), CP_UTF8);

    // The store holds the file as it was; the file holds it too, with the
    // plugin's lines added and the user's filters moved behind them.
    EXPECT_EQ(start.SavedIni(), original);
    const std::string written = ReadBytes(start.Ini());
    EXPECT_NE(written, original);
    EXPECT_EQ(WithoutAdditions(written), original);
    EXPECT_EQ(CountLines(written, L"_SearchFlags=0|000002000020|"),
              CountLines(original, L"_SearchFlags=0|000002000020|") + 7);
    EXPECT_EQ(CountLines(written, L"=>Orvelle "), 7);

    // The next start finds everything in place: nothing written, no second
    // backup.
    ASSERT_TRUE(start.Run());
    EXPECT_EQ(ReadBytes(start.Ini()), written);
    EXPECT_EQ(start.SettingsBackups().size(), 1u);
  }
}

TEST(FirstStart, DarkColoursOfARealConfigurationStayWithTheirFilters) {
  const std::string original =
      ReadBytes(test::RealWorldFile(L"taurit-TotalCommander\\wincmd.ini"));
  FirstStart start(L"wincmd.ini", original);
  ASSERT_TRUE(start.Run());
  const std::string written = ReadBytes(start.Ini());
  EXPECT_EQ(CountLines(written, L"ColorFilter12=*.pfx;*.snk;*.cer;*.pem;*.key;*.crt"), 1);
  EXPECT_EQ(CountLines(written, L"ColorFilter12ColorDark=14605303,4604665"), 1);
  EXPECT_EQ(CountLines(written, L"ColorFilter19=*.doc;*.odt;*.rtf;*.docx;*.xmind;*.ppt;*.pptx;"), 1);
  EXPECT_EQ(CountLines(written, L"ColorFilter19ColorDark=16308684,16107674"), 1);
  // The model read back has the plugin's seven first, the user's behind.
  ASSERT_GE(start.Model().ColorFilters.size(), 23u);
  EXPECT_EQ(start.Model().ColorFilters[0], L">Orvelle Empty");
  EXPECT_EQ(start.Model().ColorFilters[11], L"*.pfx;*.snk;*.cer;*.pem;*.key;*.crt");
}

// A small configuration with both sections, a user filter with its dark
// colour, and lines of both line-end kinds.
const std::string kSmallIni =
    "[Configuration]\r\nUseIniInProgramDir=7\n[searches]\r\nMine_SearchFor=*.c\r\n"
    "  [Colors]\r\nColorFilter1=*.txt\nColorFilter1Color=255\r\nColorFilter1ColorDark=1,2\r\n";

TEST(FirstStart, TheBackupComesFirstAlsoWithoutAnotherInstallation) {
  FirstStart start(L"wincmd.ini", kSmallIni);
  ASSERT_TRUE(start.Run());
  EXPECT_TRUE(start.Warnings().empty());
  EXPECT_EQ(start.SavedIni(), kSmallIni);
  const std::string written = ReadBytes(start.Ini());
  EXPECT_EQ(WithoutAdditions(written), kSmallIni);
  // The untouched header keeps its case and indentation; the indented
  // section got the filters, no second one was appended.
  EXPECT_EQ(CountLines(written, L"[searches]"), 1);
  EXPECT_EQ(CountLines(written, L"[Searches]"), 0);
  EXPECT_EQ(CountLines(written, L"[Colors]"), 1);
  EXPECT_EQ(CountLines(written, L"ColorFilter8ColorDark=1,2"), 1);
}

// Real conditions that stop a step: the store, one copy, the rewrite.
TEST(FirstStart, WhenAStepCannotBeDoneSafelyTheFileIsUntouchedAndTheRootSaysWhy) {
  struct Case {
    const char* label;
    std::function<std::function<void()>(FirstStart&)> prepare;  // returns the clean-up
    bool backupMade;
    const wchar_t* warning;
  };
  const Case cases[] = {
      {"a file stands where the store must be",
       [](FirstStart& s) {
         WriteBytes(s.Store(), "not a folder");
         return std::function<void()>([] {});
       },
       false, texts::kSettingsBackupFailed},
      {"a settings file is held open by another program",
       [](FirstStart& s) {
         WriteBytes(s.Dir() / L"LANGUAGE\\WCMD_DEU.LNG", "[x]\r\n");
         std::string ini = ReadBytes(s.Ini());
         ini.insert(ini.find("UseIniInProgramDir"), "LanguageIni=WCMD_DEU.LNG\r\n");
         WriteBytes(s.Ini(), ini);
         auto held = std::make_shared<platform::unique_hfile>(
             ::CreateFileW((s.Dir() / L"LANGUAGE\\WCMD_DEU.LNG").c_str(), GENERIC_READ, 0,
                           nullptr, OPEN_EXISTING, 0, nullptr));
         return std::function<void()>([held] { held->reset(); });
       },
       false, texts::kSettingsBackupFailed},
      {"a folder stands where the new file is written",
       [](FirstStart& s) {
         test::CreateDirectories(s.Ini() + L"~");
         return std::function<void()>([] {});
       },
       true, texts::kSettingsFileNotWritten},
      {"the configuration is read-only",
       [](FirstStart& s) {
         ::SetFileAttributesW(s.Ini().c_str(), FILE_ATTRIBUTE_READONLY);
         return std::function<void()>(
             [&s] { ::SetFileAttributesW(s.Ini().c_str(), FILE_ATTRIBUTE_NORMAL); });
       },
       true, texts::kSettingsFileNotWritten},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FirstStart start(L"wincmd.ini", kSmallIni);
    std::function<void()> cleanUp = c.prepare(start);
    const std::string before = ReadBytes(start.Ini());
    EXPECT_TRUE(start.Run()) << "the comparison goes on, reading only";
    cleanUp();
    EXPECT_EQ(ReadBytes(start.Ini()), before);
    EXPECT_EQ(start.SettingsBackups().size(), c.backupMade ? 1u : 0u);
    if (c.backupMade) {
      EXPECT_EQ(start.SavedIni(), before);
    }
    ASSERT_FALSE(start.Warnings().empty());
    EXPECT_TRUE(start.Warnings()[0].starts_with(c.warning))
        << platform::AnsiFromWide(start.Warnings()[0], CP_UTF8);
    EXPECT_FALSE(platform::FileExists(start.Ini() + L"~"));
  }
}

// Fails one file operation of the first start at a time, every one in turn.
class FaultAt {
 public:
  explicit FaultAt(int failing) : failing_(failing) {
    previous_ = SetFileFaultHook([this](FileStep step, const std::wstring& path) {
      steps.push_back({step, path});
      return static_cast<int>(steps.size()) - 1 == failing_;
    });
  }
  ~FaultAt() { SetFileFaultHook(previous_); }
  FaultAt(const FaultAt&) = delete;
  FaultAt& operator=(const FaultAt&) = delete;

  std::vector<std::pair<FileStep, std::wstring>> steps;

 private:
  int failing_;
  FileFaultHook previous_;
};

TEST(FirstStart, EveryFileOperationFailingInTurnLosesNothing) {
  // A start without faults: the operations made, and the end result.
  size_t operations = 0;
  std::string finished;
  std::string searchesOnly;  // both sections live in one file: two rewrites
  {
    FirstStart start(L"wincmd.ini", kSmallIni);
    FaultAt none(-1);
    ASSERT_TRUE(start.Run());
    operations = none.steps.size();
    finished = ReadBytes(start.Ini());
    searchesOnly = ReadBytes(start.Ini() + L".bkp");
  }
  // The store and its folder, the copies, the index, then per rewritten
  // section the new file, ".bkp", two renames and one delete.
  ASSERT_GE(operations, 14u);
  ASSERT_NE(finished, kSmallIni);
  ASSERT_NE(searchesOnly, kSmallIni);
  ASSERT_NE(searchesOnly, finished);

  for (size_t failing = 0; failing < operations; ++failing) {
    FirstStart start(L"wincmd.ini", kSmallIni);
    std::wstring failedPath;
    {
      FaultAt fault(static_cast<int>(failing));
      ASSERT_TRUE(start.Run());
      ASSERT_GT(fault.steps.size(), failing);
      failedPath = fault.steps[failing].second;
    }
    SCOPED_TRACE(testing::Message() << "operation " << failing << " on "
                                    << platform::AnsiFromWide(failedPath, CP_UTF8));
    // Untouched, or changed with the untouched file in the store; never
    // missing, never half written.
    const std::string after = ReadBytes(start.Ini());
    ASSERT_TRUE(platform::FileExists(start.Ini()));
    if (after != kSmallIni) {
      EXPECT_EQ(start.SavedIni(), kSmallIni);
      EXPECT_TRUE(after == finished || after == searchesOnly);
    }
    EXPECT_FALSE(platform::PathExists(start.Ini() + L"~"));
    // A store without its settings backup would stop it from ever being
    // taken again.
    if (platform::DirectoryExists(start.Store())) {
      EXPECT_EQ(start.SavedIni(), kSmallIni);
    }
    // What was not done is said.
    if (after != finished) {
      EXPECT_FALSE(start.Warnings().empty());
    }

    // The next start without faults finishes the job.
    ASSERT_TRUE(start.Run());
    EXPECT_EQ(ReadBytes(start.Ini()), finished);
    EXPECT_EQ(start.SavedIni(), kSmallIni);
  }
}

}  // namespace
}  // namespace orvelle
