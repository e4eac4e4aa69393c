#include "tc/environment.h"
#include "tc/expand_variables.h"
#include "tc/locate_configuration.h"
#include "tc/ttc.h"
#include "support/child_process.h"
#include "tc_test_helpers.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::Encoding;
using test::WriteTextFile;

TEST(LocateConfiguration, IniParameterOfACommandLine) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* expected;  // nullptr: no value
  };
  const Case cases[] = {
      {LR"("C:\TC\TOTALCMD.EXE" /i="C:\some dir\wincmd.ini" /O)", LR"(C:\some dir\wincmd.ini)"},
      {LR"("C:\TC\TOTALCMD.EXE" /I=C:\x\wincmd.ini /O)", LR"(C:\x\wincmd.ini)"},
      {LR"("C:\TC\TOTALCMD.EXE" /I=C:\x\wincmd.ini)", LR"(C:\x\wincmd.ini)"},
      {LR"("C:\TC\TOTALCMD.EXE" /i="C:\x\wincmd.ini)", LR"(C:\x\wincmd.ini)"},
      // The later of the first "i=" and the first "I=" wins.
      {LR"("C:\TC\TOTALCMD.EXE" /i=a.ini /I=b.ini)", L"b.ini"},
      {LR"("C:\TC\TOTALCMD.EXE" /I=b.ini /i=a.ini)", L"a.ini"},
      // The whole argument quoted, as Wine and many launchers write it: the
      // blank inside belongs to the value.
      {LR"("C:\TC\TOTALCMD.EXE" "/i=C:\some dir\wincmd.ini" /O)", LR"(C:\some dir\wincmd.ini)"},
      // A program path without quotes, as a script starts it.
      {LR"(C:\TC\TOTALCMD.EXE /i=C:\x\wincmd.ini)", LR"(C:\x\wincmd.ini)"},
      {LR"(C:\TC\TOTALCMD.EXE)", nullptr},
      {LR"("C:\TC\TOTALCMD.EXE")", nullptr},
      {LR"("C:\TC\TOTALCMD.EXE" /O /S)", nullptr},
      {L"", nullptr},
  };
  for (const Case& c : cases) {
    std::optional<std::wstring> value = ParseIniParameter(c.commandLine);
    if (c.expected) {
      EXPECT_EQ(value.value_or(L"<none>"), c.expected) << c.commandLine;
    } else {
      EXPECT_FALSE(value) << c.commandLine;
    }
  }
}

TEST(LocateConfiguration, UseIniInProgramDirModes) {
  struct Case {
    std::vector<std::wstring> lines;
    const wchar_t* mode;
  };
  const Case cases[] = {
      {{L"[Configuration]", L"UseIniInProgramDir=7"}, L"7"},
      {{L"[configuration]", L"  UseIniInProgramDir = 1 "}, L"1"},
      {{L"[Configuration]", L"UseIniInProgramDir=4"}, L"4"},
      {{L"[Configuration]", L"UseIniInProgramDir=5"}, L"5"},
      {{L"[Configuration]", L"UseIniInProgramDir=3"}, L"0"},
      {{L"[Configuration]", L";UseIniInProgramDir=1"}, L"0"},
      {{L"[Layout]", L"UseIniInProgramDir=1"}, L"0"},
      {{}, L"0"},
  };
  for (const Case& c : cases) EXPECT_EQ(UseIniInProgramDirMode(c.lines), c.mode);
}

// The registry value of the test's own Wine prefix, removed again afterwards.
class RegistryIniName {
 public:
  explicit RegistryIniName(const std::wstring& value) {
    DWORD disposition = 0;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(),
                      &disposition);
    created_ = disposition == REG_CREATED_NEW_KEY;
    ::RegSetValueExW(key_.get(), L"IniFileName", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }
  ~RegistryIniName() {
    ::RegDeleteValueW(key_.get(), L"IniFileName");
    key_.reset();
    if (created_) ::RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Ghisler\\Total Commander";
  platform::unique_hkey key_;
  bool created_ = false;
};

class LocateNew : public ::testing::Test {
 protected:
  LocateNew() : model_(dir_ / L"tc\\TOTALCMD.EXE") {
    TTC my(L"C:\\My TC\\totalcmd.exe");
    my.EnvNames = {L"APPDATA", L"windir", L"COMMANDER_INI"};
    my.EnvValues = {dir_ / L"appdata", dir_ / L"windows", L"C:\\My TC\\wincmd.ini"};
    DeriveNewEnvironment(my, model_);
    names_ = model_.EnvNames;
    values_ = model_.EnvValues;
  }
  void ProgramIni(const std::wstring& mode) {
    WriteTextFile(dir_ / L"tc\\wincmd.ini", L"[Configuration]\nUseIniInProgramDir=" + mode + L"\n");
  }
  std::wstring Located(std::wstring_view commandLine = L"") {
    model_.IniFile = L"stale";
    model_.EnvNames = names_;  // each attempt starts as a fresh candidate
    model_.EnvValues = values_;
    bool found = LocateConfigurationFromCommandLine(model_, commandLine);
    EXPECT_EQ(found, !model_.IniFile.empty());
    if (found) {
      EXPECT_EQ(model_.EnvNames.back(), L"COMMANDER_INI");
      EXPECT_EQ(model_.EnvValues.back(), model_.IniFile);
    }
    return model_.IniFile;
  }

  test::TempDir dir_;
  TTC model_;
  std::vector<std::wstring> names_, values_;
};

TEST_F(LocateNew, CommandLineValueWinsAndIsExpanded) {
  WriteTextFile(dir_ / L"tc\\ini dir\\my.ini", L"[Configuration]\n");
  RegistryIniName registry(dir_ / L"tc\\wincmd.ini");
  ProgramIni(L"5");
  EXPECT_EQ(Located(LR"("X:\TOTALCMD.EXE" /I="%COMMANDER_PATH%\ini dir\my.ini")"),
            dir_ / L"tc\\ini dir\\my.ini");
}

TEST_F(LocateNew, MissingCommandLineFileFailsEvenWhenOtherSourcesExist) {
  RegistryIniName registry(dir_ / L"tc\\wincmd.ini");
  ProgramIni(L"5");
  EXPECT_EQ(Located(LR"("X:\TOTALCMD.EXE" /i="C:\missing\wincmd.ini")"), L"");
  EXPECT_EQ(EnvironmentValue(model_, L"COMMANDER_INI"), L"");
}

TEST_F(LocateNew, ModesChooseTheirSources) {
  WriteTextFile(dir_ / L"registry.ini", L"");
  WriteTextFile(dir_ / L"appdata\\wincmd.ini", L"");
  WriteTextFile(dir_ / L"windows\\wincmd.ini", L"");
  const std::wstring programIni = dir_ / L"tc\\wincmd.ini";
  {
    RegistryIniName registry(dir_ / L"registry.ini");
    ProgramIni(L"1");
    EXPECT_EQ(Located(), dir_ / L"registry.ini");
    ProgramIni(L"0");
    EXPECT_EQ(Located(), dir_ / L"registry.ini");
    ProgramIni(L"3");  // not a mode of its own: treated as 0
    EXPECT_EQ(Located(), dir_ / L"registry.ini");
    ProgramIni(L"4");
    EXPECT_EQ(Located(), dir_ / L"appdata\\wincmd.ini");
    ProgramIni(L"5");
    EXPECT_EQ(Located(), programIni);
    ProgramIni(L"7");
    EXPECT_EQ(Located(), programIni);
    // A program path without quotes (started from a script) still has its
    // /i= read, which wins over the mode.
    EXPECT_EQ(Located(L"X:\\TOTALCMD.EXE /i=" + (dir_ / L"registry.ini")), dir_ / L"registry.ini");
  }
  ProgramIni(L"1");
  EXPECT_EQ(Located(), programIni);
  ProgramIni(L"0");
  EXPECT_EQ(Located(), dir_ / L"appdata\\wincmd.ini");
  ::DeleteFileW((dir_ / L"appdata\\wincmd.ini").c_str());
  EXPECT_EQ(Located(), dir_ / L"windows\\wincmd.ini");
  ::DeleteFileW((dir_ / L"windows\\wincmd.ini").c_str());
  EXPECT_EQ(Located(), L"");
}

TEST_F(LocateNew, ConfigurationFromARunningProcessCommandLine) {
  WriteTextFile(dir_ / L"some dir\\wincmd.ini", L"[Configuration]\n");
  test::TestChild child(L"/O /i=\"" + (dir_ / L"some dir\\wincmd.ini") + L"\" /S");
  ASSERT_TRUE(child.Started());
  model_.ProcessHandle = child.Process();
  EXPECT_TRUE(LocateConfiguration(model_));
  EXPECT_EQ(model_.IniFile, dir_ / L"some dir\\wincmd.ini");
}

TEST_F(LocateNew, RegistryValueNamingAMissingFileFails) {
  RegistryIniName registry(dir_ / L"gone.ini");
  ProgramIni(L"0");
  EXPECT_EQ(Located(), L"");
}

TEST(LocateMy, ConfigurationComesFromCommanderIni) {
  test::TempDir dir;
  WriteTextFile(dir / L"wincmd.ini", L"");
  TTC model(dir / L"totalcmd.exe");
  model.EnvNames = {L"Commander_Ini"};
  model.EnvValues = {dir / L"wincmd.ini"};
  test::MessageRecorder boxes;
  EXPECT_TRUE(LocateMyConfiguration(model));
  EXPECT_EQ(model.IniFile, dir / L"wincmd.ini");
  EXPECT_EQ(model.MainIniFile, dir / L"wincmd.ini");
  EXPECT_TRUE(boxes.texts.empty());
}

TEST(LocateMy, MissingOrWrongCommanderIniStopsWithAMessage) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  test::MessageRecorder boxes;
  EXPECT_FALSE(LocateMyConfiguration(model));
  model.EnvNames = {L"COMMANDER_INI"};
  model.EnvValues = {L"C:\\nowhere\\wincmd.ini"};
  EXPECT_FALSE(LocateMyConfiguration(model));
  EXPECT_EQ(boxes.texts, (std::vector<std::wstring>{
                             L"%COMMANDER_INI% not detected in C:\\TC\\totalcmd.exe",
                             L"%COMMANDER_INI%=: C:\\nowhere\\wincmd.ini does not exist for "
                             L"C:\\TC\\totalcmd.exe"}));
  EXPECT_EQ(boxes.LastFlags() & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

}  // namespace
}  // namespace orvelle
