#include "util/version_info.h"

#include "platform/handle.h"
#include "support/pe_resources.h"
#include "support/temp_dir.h"
#include "support/time_values.h"
#include "util/date_time.h"

#include <gtest/gtest.h>

#include <atomic>

namespace orvelle {
namespace {

double Day(WORD y, WORD m, WORD d, WORD h, WORD mi, WORD s) {
  return SystemTimeToDateTime(test::SystemTimeOf(y, m, d, h, mi, s));
}

FileVerdict VersionsDiffer() {
  FileVerdict v;
  v.sign = L">";
  v.kind = 3;
  v.kindText = L"File Version Number";
  v.detailA = L"2.0.0.0";
  v.detailB = L"1.0.0.0";
  return v;
}

FileVerdict VersionsEqual() {
  FileVerdict v;
  v.sign = L"=";
  v.result = false;
  return v;
}

TEST(DecideFiles, WeighsExistenceContentVersionsThenDates) {
  const double jan1 = Day(2024, 1, 1, 10, 0, 0);
  const double jan2 = Day(2024, 1, 2, 9, 0, 0);
  const double jan1Later = Day(2024, 1, 1, 11, 30, 5);
  struct Case {
    const char* name;
    FileFacts a, b;
    bool same;
    FileVerdict (*versions)();
    const wchar_t* sign;
    int kind;
    const wchar_t* kindText;
    const wchar_t* detailA;
    const wchar_t* detailB;
    bool result;
    bool contentAsked;
    bool versionsAsked;
  };
  const Case cases[] = {
      {"neither", {false, 0, 0}, {false, 0, 0}, false, VersionsEqual, L"", 0, L"", L"", L"", true,
       false, false},
      {"only A", {true, 5, jan1}, {false, 0, 0}, false, VersionsEqual, L"*", 0, L"", L"", L"",
       true, false, false},
      {"only B", {false, 0, 0}, {true, 5, jan1}, false, VersionsEqual, L"!", 0, L"", L"", L"",
       true, false, false},
      {"same bytes", {true, 5, jan2}, {true, 5, jan1}, true, VersionsDiffer, L"=", 2, L"MD5", L"",
       L"", true, true, false},
      {"same size, versions decide", {true, 5, jan1}, {true, 5, jan1}, false, VersionsDiffer,
       L">", 3, L"File Version Number", L"2.0.0.0", L"1.0.0.0", true, true, true},
      {"same size, same time", {true, 5, jan1}, {true, 5, jan1}, false, VersionsEqual, L"<>", 2,
       L"MD5", L"MD5", L"", false, true, true},
      {"other size, same time", {true, 5, jan1}, {true, 6, jan1}, false, VersionsEqual, L"<>", 1,
       L"", L"MD5", L"", false, false, true},
      {"A newer, other day", {true, 5, jan2}, {true, 6, jan1}, false, VersionsEqual, L">", 7,
       L"Last Modif. Date", L"02.01.2024", L"01.01.2024", true, false, true},
      {"A older, same day", {true, 5, jan1}, {true, 5, jan1Later}, false, VersionsEqual, L"<", 7,
       L"Last Modif. Date", L"10:00:00", L"11:30:05", true, true, true},
  };
  for (const Case& c : cases) {
    bool contentAsked = false, versionsAsked = false;
    FileVerdict v = DecideFiles(
        c.a, c.b,
        [&] {
          contentAsked = true;
          return c.same;
        },
        [&] {
          versionsAsked = true;
          return c.versions();
        });
    EXPECT_EQ(v.sign, c.sign) << c.name;
    EXPECT_EQ(v.kind, c.kind) << c.name;
    EXPECT_EQ(v.kindText, c.kindText) << c.name;
    EXPECT_EQ(v.detailA, c.detailA) << c.name;
    EXPECT_EQ(v.detailB, c.detailB) << c.name;
    EXPECT_EQ(v.result, c.result) << c.name;
    EXPECT_EQ(contentAsked, c.contentAsked) << c.name;
    EXPECT_EQ(versionsAsked, c.versionsAsked) << c.name;
  }
}

// A file time a number of hours after noon, 1 March 2024 (UTC).
FILETIME Time(int hours) {
  SYSTEMTIME st = test::SystemTimeOf(2024, 3, 1, 12);
  FILETIME ft{};
  ::SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER v{{ft.dwLowDateTime, ft.dwHighDateTime}};
  v.QuadPart += static_cast<ULONGLONG>(hours) * 3600 * 10000000ULL;
  return FILETIME{v.LowPart, v.HighPart};
}

void SetWriteTime(const std::wstring& path, const FILETIME& time) {
  platform::unique_hfile file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &time));
}

void WriteFile(const std::wstring& path, std::string_view bytes, const FILETIME& time) {
  test::WriteBytes(path, bytes);
  SetWriteTime(path, time);
}

TEST(CompareFiles, JudgesRealFiles) {
  test::TempDir dir;
  std::string data(300000, 'a');
  std::string lastByte = data, atBlock = data;
  lastByte.back() = 'b';
  atBlock[3 * 32768] = 'b';  // the first byte of a later block read
  WriteFile(dir / L"a.bin", data, Time(0));
  WriteFile(dir / L"copy.bin", data, Time(48));
  WriteFile(dir / L"last.bin", lastByte, Time(0));
  WriteFile(dir / L"block.bin", atBlock, Time(48));
  WriteFile(dir / L"short.bin", data.substr(1), Time(1));

  FileVerdict same = CompareFiles(dir / L"copy.bin", dir / L"a.bin");
  EXPECT_EQ(same.sign, L"=");
  EXPECT_EQ(same.kind, 2);
  EXPECT_EQ(same.kindText, L"MD5");

  FileVerdict sameTime = CompareFiles(dir / L"a.bin", dir / L"last.bin");
  EXPECT_EQ(sameTime.sign, L"<>");
  EXPECT_EQ(sameTime.detailA, L"MD5");
  EXPECT_EQ(sameTime.detailB, L"");
  EXPECT_FALSE(sameTime.result);

  FileVerdict newer = CompareFiles(dir / L"block.bin", dir / L"a.bin");
  EXPECT_EQ(newer.sign, L">");
  EXPECT_EQ(newer.kind, 7);
  EXPECT_EQ(newer.detailA, FormatDateTime(FileTimeToLocalDateTime(Time(48))).substr(0, 10));
  EXPECT_EQ(newer.detailB, FormatDateTime(FileTimeToLocalDateTime(Time(0))).substr(0, 10));

  FileVerdict older = CompareFiles(dir / L"a.bin", dir / L"short.bin");
  EXPECT_EQ(older.sign, L"<");
  EXPECT_EQ(older.kind, 7);
  EXPECT_EQ(older.detailA.size(), 8u);  // same day: the times

  EXPECT_EQ(CompareFiles(dir / L"a.bin", dir / L"none.bin").sign, L"*");
  EXPECT_EQ(CompareFiles(dir / L"none.bin", dir / L"a.bin").sign, L"!");
  EXPECT_EQ(CompareFiles(dir / L"none.bin", dir / L"none2.bin").sign, L"");
  EXPECT_EQ(CompareFiles(dir.Path(), dir / L"a.bin").sign, L"!");  // a folder is no file
}

TEST(CompareFiles, UnreadableFilesAreNeverEqual) {
  test::TempDir dir;
  WriteFile(dir / L"a.bin", "same", Time(0));
  WriteFile(dir / L"b.bin", "same", Time(0));
  // Writers that share nothing keep both files from being read.
  platform::unique_hfile lockA(::CreateFileW((dir / L"a.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lockA);
  EXPECT_FALSE(SameFileContent(dir / L"a.bin", dir / L"b.bin"));
  EXPECT_NE(CompareFiles(dir / L"a.bin", dir / L"b.bin").sign, L"=");
  platform::unique_hfile lockB(::CreateFileW((dir / L"b.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(lockB);
  FileVerdict both = CompareFiles(dir / L"a.bin", dir / L"b.bin");
  EXPECT_EQ(both.sign, L"<>");
  EXPECT_EQ(both.kind, 2);
  lockA.reset();
  lockB.reset();
  EXPECT_TRUE(SameFileContent(dir / L"a.bin", dir / L"b.bin"));
}

// The first bytes read tell whether version records are to be looked for:
// a program against a data file of its size still has its versions weighed
// (on either side); two data files go by their dates.
TEST(CompareFiles, VersionsAreLookedForWhereEitherFileIsAProgram) {
  test::TempDir dir;
  const std::wstring program = dir / L"tool.exe", data = dir / L"tool.dat";
  test::CopyProgramFile(program);
  test::WriteVersionResource(program, {2, 0, 0, 0}, {2, 0, 0, 0},
                             {{L"FileVersion", L"2.0"}, {L"ProductVersion", L"2.0"}});
  std::string bytes = test::ReadBytes(program);
  bytes[0] = 'X';
  bytes[1] = 'X';
  WriteFile(data, bytes, Time(0));
  SetWriteTime(program, Time(0));
  for (const auto& [a, b] : {std::pair{program, data}, std::pair{data, program}}) {
    FileVerdict v = CompareFiles(a, b);
    EXPECT_GE(v.kind, 3) << v.kindText;
    EXPECT_LE(v.kind, 6) << v.kindText;
  }
  const std::wstring other = dir / L"other.dat";
  bytes[2] ^= 1;
  WriteFile(other, bytes, Time(0));
  FileVerdict plain = CompareFiles(data, other);
  EXPECT_EQ(plain.sign, L"<>");
  EXPECT_EQ(plain.kind, 2);
}

// A reading stopped from outside (the comparison was cancelled) finds
// nothing equal; its caller throws the answer away.
TEST(CompareFiles, AStoppedReadingFindsNothingEqual) {
  test::TempDir dir;
  const std::string data(300000, 'a');
  WriteFile(dir / L"a.bin", data, Time(0));
  WriteFile(dir / L"b.bin", data, Time(0));
  std::atomic<bool> stop{true};
  EXPECT_FALSE(SameFileContent(dir / L"a.bin", dir / L"b.bin", &stop));
  stop = false;
  EXPECT_TRUE(SameFileContent(dir / L"a.bin", dir / L"b.bin", &stop));
}

TEST(CompareFiles, VersionsDecideBeforeDates) {
  test::TempDir dir;
  const std::wstring a = dir / L"a.exe", b = dir / L"b.exe";
  test::CopyProgramFile(a);
  test::CopyProgramFile(b);
  test::WriteVersionResource(a, {2, 0, 0, 0}, {2, 0, 0, 0},
                             {{L"FileVersion", L"2.0"}, {L"ProductVersion", L"2.0"}});
  test::WriteVersionResource(b, {1, 0, 0, 0}, {1, 0, 0, 0},
                             {{L"FileVersion", L"1.0"}, {L"ProductVersion", L"1.0"}});
  SetWriteTime(a, Time(0));  // older, but the version is newer
  SetWriteTime(b, Time(48));
  FileVerdict v = CompareFiles(a, b);
  EXPECT_EQ(v.sign, L">");
  EXPECT_EQ(v.kind, 3);
  EXPECT_EQ(v.kindText, L"File Version Number");
  EXPECT_EQ(v.detailA, L"2.0.0.0");
  EXPECT_EQ(v.detailB, L"1.0.0.0");

  FileVerdict versions = CompareFileVersions(b, a);
  EXPECT_EQ(versions.sign, L"<");
  EXPECT_TRUE(versions.result);
  EXPECT_FALSE(CompareFileVersions(a, a).result);
}

}  // namespace
}  // namespace orvelle
