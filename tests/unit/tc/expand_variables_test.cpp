#include "tc/environment.h"
#include "tc/expand_variables.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TTC ModelWithEnvironment() {
  TTC model(L"C:\\TC\\totalcmd.exe");
  model.EnvNames = {L"COMMANDER_PATH", L"WinDir", L"APPDATA"};
  model.EnvValues = {L"C:\\TC", L"C:\\Windows", L"C:\\Users\\me\\AppData\\Roaming"};
  return model;
}

TEST(ExpandVariables, ExpandsTheFirstVariableAndMakesRelativePathsAbsolute) {
  TTC model = ModelWithEnvironment();
  struct Case {
    const wchar_t* text;
    bool makeAbsolute;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"%COMMANDER_PATH%\\plugins\\x.wfx", false, L"C:\\TC\\plugins\\x.wfx"},
      {L"%commander_path%\\x.wfx", false, L"C:\\TC\\x.wfx"},  // names without regard to case
      {L"%windir%\\%UNKNOWN%\\x", false, L"C:\\Windows\\%UNKNOWN%\\x"},
      // Only the first variable is expanded, even when the second is known.
      {L"%WINDIR%\\%COMMANDER_PATH%", false, L"C:\\Windows\\%COMMANDER_PATH%"},
      {L"%UNKNOWN%\\x.exe", false, L"%UNKNOWN%\\x.exe"},
      {L"%UNKNOWN%\\x.exe", true, L"C:\\TC\\%UNKNOWN%\\x.exe"},
      {L".\\LANGUAGE\\x.mnu", false, L"C:\\TC\\LANGUAGE\\x.mnu"},
      // The ".\" rule applies only to texts without a variable.
      {L".\\%WINDIR%", false, L".\\C:\\Windows"},
      {L"plugins\\x.wfx", false, L"plugins\\x.wfx"},
      {L"plugins\\x.wfx", true, L"C:\\TC\\plugins\\x.wfx"},
      {L"CONFIG/Plugins.ini", true, L"C:\\TC\\CONFIG/Plugins.ini"},
      {L"D:\\tools\\x.exe", true, L"D:\\tools\\x.exe"},
      // A network path and a path from the drive root are absolute already.
      {L"\\\\server\\share\\x.wfx", true, L"\\\\server\\share\\x.wfx"},
      {L"\\tools\\x.exe", true, L"C:\\tools\\x.exe"},
      // A lone percent sign names no variable and stays as written.
      {L"100% sure.txt", false, L"100% sure.txt"},
      {L"%%", false, L"%%"},
      {L"", false, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpandVariables(model, c.text, c.makeAbsolute), c.expected) << c.text;
  }
}

TEST(CanonicalPath, ResolvesStepsTheWayWindowsOpensThePath) {
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  };
  const Case cases[] = {
      // The host's own variable names the configuration file: "..\\" leaves it.
      {L"C:\\TC\\wincmd.ini\\..\\plugins\\wfx\\x\\x.wfx", L"C:\\TC\\plugins\\wfx\\x\\x.wfx"},
      {L"C:\\TC\\.\\plugins\\\\wlx\\.\\v.wlx", L"C:\\TC\\plugins\\wlx\\v.wlx"},
      {L"C:\\TC\\CONFIG/../plugins/x.wdx", L"C:\\TC\\plugins\\x.wdx"},
      {L"C:\\..\\..\\x.wfx", L"C:\\x.wfx"},  // above the root stays at the root
      {L"C:\\TC\\plugins\\..\\", L"C:\\TC\\"},
      {L"C:\\TC\\a\\..", L"C:\\TC"},
      {L"\\\\server\\share\\tc\\..\\..\\x.wfx", L"\\\\server\\share\\x.wfx"},
      {L"//server/share/x.wfx", L"\\\\server\\share\\x.wfx"},
      // No full path: nothing to resolve against.
      {L"plugins\\..\\x.wfx", L"plugins\\..\\x.wfx"},
      {L"C:x.wfx", L"C:x.wfx"},
      {L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},
      {L"\\\\server", L"\\\\server"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(CanonicalPath(c.path), c.expected) << c.path;
}

TEST(ConfiguredPath, EveryFormOfOneFileGivesOneText) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  model.EnvNames = {L"COMMANDER_PATH", L"COMMANDER_INI"};
  model.EnvValues = {L"C:\\TC", L"C:\\TC\\wincmd.ini"};
  for (const wchar_t* value :
       {L"%COMMANDER_PATH%\\plugins\\wfx\\X\\x.wfx", L"  %COMMANDER_INI%\\..\\plugins\\wfx\\x\\X.wfx ",
        L"plugins/wfx/x/x.wfx", L".\\plugins\\wfx\\x\\x.wfx", L"\\TC\\plugins\\wfx\\x\\x.wfx",
        L"c:\\tc\\Plugins\\wfx\\..\\wfx\\x\\x.wfx"}) {
    EXPECT_EQ(ConfiguredPath(model, value), L"c:\\tc\\plugins\\wfx\\x\\x.wfx") << value;
  }
}

TEST(Environment, BlockEntriesWithoutNameOrValueAreDropped) {
  const wchar_t block[] = L"=C:=C:\\TC\0PATH=C:\\Windows\0EMPTY=\0A=b=c\0\0";
  std::vector<std::wstring> names, values;
  ParseEnvironmentBlock(block, names, values);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"PATH", L"A"}));
  EXPECT_EQ(values, (std::vector<std::wstring>{L"C:\\Windows", L"b=c"}));
}

TEST(Environment, OwnEnvironmentHoldsTheProcessVariables) {
  ::SetEnvironmentVariableW(L"ORVELLE_TC_PROBE", L"x y");
  TTC model(L"C:\\TC\\totalcmd.exe");
  ReadOwnEnvironment(model);
  ::SetEnvironmentVariableW(L"ORVELLE_TC_PROBE", nullptr);
  EXPECT_EQ(EnvironmentValue(model, L"orvelle_tc_probe"), L"x y");
}

TEST(Environment, NewInstallationGetsItsOwnCommanderVariables) {
  TTC my(L"C:\\TC\\totalcmd.exe");
  my.EnvNames = {L"PATH", L"COMMANDER_PATH", L"COMMANDER_INI", L"commander_custom", L"TEMP"};
  my.EnvValues = {L"C:\\Windows", L"C:\\TC", L"C:\\TC\\wincmd.ini", L"kept", L"C:\\Temp"};
  TTC other(L"D:\\Other TC\\TOTALCMD.EXE");
  DeriveNewEnvironment(my, other);
  // The name test is case-sensitive: a lower-case name is kept.
  EXPECT_EQ(other.EnvNames, (std::vector<std::wstring>{L"PATH", L"commander_custom", L"TEMP",
                                                        L"COMMANDER_PATH", L"COMMANDER_DRIVE"}));
  EXPECT_EQ(other.EnvValues, (std::vector<std::wstring>{L"C:\\Windows", L"kept", L"C:\\Temp",
                                                         L"D:\\Other TC", L"D:"}));
}

TEST(Environment, DriveOfPath) {
  EXPECT_EQ(ExtractFileDrive(L"c:\\tc\\x.exe"), L"c:");
  EXPECT_EQ(ExtractFileDrive(L"\\\\server\\share\\tc\\x.exe"), L"\\\\server\\share");
  EXPECT_EQ(ExtractFileDrive(L"tc\\x.exe"), L"");
}

}  // namespace
}  // namespace orvelle
