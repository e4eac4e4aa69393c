#include "compare/run_comparison.h"
#include "support/file_times.h"
#include "support/test_paths.h"
#include "unit/compare/compare_fixture.h"
#include "util/date_time.h"

#include "platform/fs.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::CompareFixture;

const std::wstring kUnit = test::kInstPath + L"Main unit\\";
const std::wstring kFiles = kUnit + L"Files\\";

TEST(MainUnitSkeleton, FixedEntriesInOrder) {
  CompareFixture f;
  f.New().ProgramVersion = L"9.0";
  f.New().IniFile = L"c:\\new\\wincmd.ini";
  f.File(L"new\\WCMICONS.DLL");
  BuildMainUnitSkeleton(f.Ctx());

  EXPECT_EQ(f.Listing(test::kInstPath), std::vector<std::wstring>{L"Main unit|"});
  EXPECT_EQ(f.Listing(kUnit), (std::vector<std::wstring>{L"Files|", L"Commands|", L"Icons|",
                                                         L"Version|", L"EXE modified|",
                                                         L"wincmd.ini|"}));
  EXPECT_EQ(f.Listing(kUnit + L"Icons\\"),
            (std::vector<std::wstring>{L"TOTALCMD.EXE|", L"WCMICONS.DLL|"}));

  const FolderIndexes& folders = f.Ctx().Folders;
  EXPECT_EQ(f.Tree()[folders.MainUnit].ParentIndex, f.Ctx().InstIndex);
  EXPECT_EQ(f.Tree()[folders.Files].ParentIndex, folders.MainUnit);
  EXPECT_EQ(f.Tree()[folders.WcmIcons].ParentIndex, folders.Icons);
  EXPECT_EQ(f.Tree()[folders.IconSource].FullPath(), kUnit + L"Icons\\TOTALCMD.EXE");

  const TVirtualTreeItem& files = f.At(kUnit + L"Files");
  EXPECT_TRUE(files.IsFolder && files.ContentFolder);
  EXPECT_EQ(files.Info, L"Only executable");
  EXPECT_EQ(f.At(kUnit + L"Version").Info, L"9.0");
  const TVirtualTreeItem& ini = f.At(kUnit + L"wincmd.ini");
  EXPECT_TRUE(ini.HasFiles && !ini.IsFolder);
  EXPECT_EQ(ini.Info, L"c:\\new\\wincmd.ini");
  EXPECT_EQ(ini.MyFile, L"c:\\new\\wincmd.ini");
  EXPECT_EQ(ini.NewFile, L"");
}

TEST(MainUnitSkeleton, IconSourceNamedAfterAnExistingIconLibrary) {
  struct Case {
    const wchar_t* iconlib;  // below the temp folder; empty: none configured
    const wchar_t* folder;
  } cases[] = {
      {L"new\\icons.dll", L"icons.dll"},
      {L"new\\missing.dll", L"TOTALCMD.EXE"},
      {L"", L"TOTALCMD.EXE"},
  };
  for (const Case& c : cases) {
    CompareFixture f;
    f.File(L"new\\icons.dll");
    if (*c.iconlib != 0) f.New().ConfigPaths.iconlib = f.Path(c.iconlib);
    BuildMainUnitSkeleton(f.Ctx());
    EXPECT_EQ(f.Listing(kUnit + L"Icons\\"), std::vector<std::wstring>{c.folder + std::wstring(L"|")})
        << c.iconlib;
    EXPECT_EQ(f.Ctx().Folders.WcmIcons, -1) << "no WCMICONS.DLL";
  }
}

// Without program files to read, the table decides New's verdict; the
// comment says what was found on both sides.
TEST(MainUnitSkeleton, ExeModifiedByKnownBuilds) {
  struct Case {
    const wchar_t* version;
    const wchar_t* info;
    const wchar_t* status;
  } cases[] = {
      {L"6.55a", L"No (cannot be read) <> ? (cannot be read)", L"*"},
      {L"6.57", L"Yes (cannot be read) <> ? (cannot be read)", L"!*"},
      {L"9.0", L"? (cannot be read) = ? (cannot be read)", L""},
  };
  for (const Case& c : cases) {
    CompareFixture f;
    f.New().ProgramVersion = c.version;
    f.New().ProgramDigest = L"EDC226CB58730DBDCF6F2F462FECEE15";
    BuildMainUnitSkeleton(f.Ctx());
    const TVirtualTreeItem& e = f.At(kUnit + L"EXE modified");
    EXPECT_EQ(e.Info, c.info) << c.version;
    EXPECT_EQ(e.Status, c.status) << c.version;
  }
}

// The program files' own evidence, New's deciding the sign and icon: a
// build signed by an unknown signer is "No" whatever its version, one
// changed after signing "Yes" with the warning icon.
TEST(MainUnitSkeleton, ExeModifiedBySignatureAndChecksum) {
  const std::wstring fixtures = test::BinaryDir() + L"\\fixtures\\signature\\";
  if (!platform::FileExists(fixtures + L"signed.exe")) GTEST_SKIP() << "no signed test programs";
  struct Case {
    const wchar_t* newFile;
    const wchar_t* myFile;
    const wchar_t* info;
    const wchar_t* status;
    IconRole icon;
  } cases[] = {
      {L"signed.exe", L"signed.exe",
       L"No (signed: Orvelle Test Signer) = No (signed: Orvelle Test Signer)", L"*",
       IconRole::Information},
      {L"altered.exe", L"signed.exe",
       L"Yes (signed: Orvelle Test Signer, does not verify) <> No (signed: Orvelle Test Signer)",
       L"!*", IconRole::Warning},
      {L"badsum.exe", L"stripped.exe",
       L"Yes (unsigned, checksum differs) <> ? (unsigned, checksum matches)", L"!*",
       IconRole::Warning},
      {L"unsigned.exe", L"nosum.exe",
       L"Yes (unsigned, checksum matches) <> ? (unsigned, no checksum)", L"!*", IconRole::Warning},
  };
  for (const Case& c : cases) {
    CompareFixture f;
    // A listed version with another digest: the table says "Yes", which
    // only an unsigned file keeps.
    f.New().ProgramVersion = L"6.57";
    f.New().ProgramDigest = L"00000000000000000000000000000000";
    f.New().ExeFile = fixtures + c.newFile;
    f.My().ExeFile = fixtures + c.myFile;
    BuildMainUnitSkeleton(f.Ctx());
    const TVirtualTreeItem& e = f.At(kUnit + L"EXE modified");
    EXPECT_EQ(e.Info, c.info) << testing::PrintToString(std::wstring(c.newFile));
    EXPECT_EQ(e.Status, c.status) << testing::PrintToString(std::wstring(c.newFile));
    EXPECT_EQ(e.Icon, f.Ctx().Icons.Get(c.icon)) << testing::PrintToString(std::wstring(c.newFile));
  }
}

// Both program folders with every kind of pair; My list as the reader of My
// installation made it.
class MainFiles : public testing::Test {
 protected:
  void SetUp() override {
    W(L"new\\TOTALCMD.EXE", "same bytes");
    W(L"my\\totalcmd.exe", "same bytes");
    W(L"new\\Tool.JS", "new script");
    W(L"my\\Tool.JS", "old script");  // same size and time, other bytes
    W(L"new\\later.dll", "longer new content", 3 * 24 * 60);
    W(L"my\\later.dll", "old content");
    W(L"new\\fresh.BAT", "echo");
    W(L"my\\gone.cmd", "echo off");
    W(L"new\\readme.txt", "text");
    W(L"my\\readme.txt", "other text");
    W(L"new\\wincmd.ini", "[Configuration]");
    f.Dir(L"new\\folder.exe");
    f.My().MainExecutables = {L"totalcmd.exe", L"Tool.JS", L"later.dll", L"gone.cmd"};
    BuildMainUnitSkeleton(f.Ctx());
  }
  void W(const wchar_t* relative, std::string_view bytes, int minutes = 0) {
    test::SetLastWriteTime(f.File(relative, bytes, false), test::FixedTime(minutes));
  }
  std::wstring LocalDate(const std::wstring& file) {
    return FormatDateTime(FileTimeToLocalDateTime(platform::GetFileEntry(file)->lastWrite))
        .substr(0, 10);
  }
  CompareFixture f;
};

TEST_F(MainFiles, EveryKindOfPair) {
  CompareMainFiles(f.Ctx());
  std::vector<std::wstring> listed = f.Listing(kFiles);
  ASSERT_EQ(listed.size(), 5u) << "no text files, no folders";
  // In both first (in the New folder's listing order), then only New, then
  // only My.
  EXPECT_EQ(listed[3], L"fresh.BAT|*");
  EXPECT_EQ(listed[4], L"gone.cmd|!");

  const TVirtualTreeItem& exe = f.At(kFiles + L"TOTALCMD.EXE");
  EXPECT_EQ(exe.Status, L"=");
  EXPECT_EQ(exe.Info, L"");
  EXPECT_EQ(exe.NewFile, f.Path(L"new\\TOTALCMD.EXE"));
  EXPECT_EQ(exe.MyFile, f.Path(L"my\\totalcmd.exe"));
  EXPECT_TRUE(exe.HasFiles && !exe.IsFolder);
  EXPECT_EQ(exe.SizeLow, 10u);
  EXPECT_EQ(exe.SizeHigh, 0u);
  EXPECT_NE(exe.Attributes, 0u);

  const TVirtualTreeItem& js = f.At(kFiles + L"Tool.JS");
  EXPECT_EQ(js.Status, L"<>");
  EXPECT_EQ(js.Info, L"MD5 <> ");

  const TVirtualTreeItem& dll = f.At(kFiles + L"later.dll");
  EXPECT_EQ(dll.Status, L">");
  EXPECT_EQ(dll.Info, LocalDate(dll.NewFile) + L" > " + LocalDate(dll.MyFile));
  EXPECT_EQ(dll.SizeLow, 18u) << "the New file's size";

  const TVirtualTreeItem& fresh = f.At(kFiles + L"fresh.BAT");
  EXPECT_EQ(fresh.Info, L"");
  EXPECT_EQ(fresh.MyFile, L"");
  EXPECT_EQ(fresh.SizeLow, 4u);

  const TVirtualTreeItem& gone = f.At(kFiles + L"gone.cmd");
  EXPECT_EQ(gone.NewFile, L"");
  EXPECT_EQ(gone.MyFile, f.Path(L"my\\gone.cmd"));
  EXPECT_EQ(gone.SizeLow, 8u) << "the My file's size";

  EXPECT_EQ(f.At(kUnit + L"Files").Status, L"!*<>=>");
}

TEST_F(MainFiles, FileVanishedBeforeItsTurn) {
  // My list still names a file that is gone: judged as missing on that side.
  f.My().MainExecutables.push_back(L"vanished.dll");
  CompareMainFiles(f.Ctx());
  const TVirtualTreeItem& e = f.At(kFiles + L"vanished.dll");
  EXPECT_EQ(e.Status, L"!");
  EXPECT_EQ(e.SizeLow, 0u);
  EXPECT_EQ(e.Attributes, 0u);
}

TEST_F(MainFiles, StoppedStepMakesNothing) {
  f.Progress().Cancelled = true;
  CompareMainFiles(f.Ctx());
  EXPECT_TRUE(f.Listing(kFiles).empty());
  EXPECT_EQ(f.At(kUnit + L"Files").Status, L"");
}

}  // namespace
}  // namespace orvelle
