#include "util/text_file_edit.h"

#include "platform/fs.h"
#include "support/temp_dir.h"
#include "support/text_bytes.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace orvelle {
namespace {

using platform::PathExists;
using test::ReadBytes;
using test::SourceFile;
using test::TempDir;
using test::Utf16LEFile;
using test::WriteBytes;

// The callers' loop: every line read is written back through change(), which
// may return it changed.
bool EditLines(const std::wstring& file, const std::function<std::wstring(TTextFileEdit&)>& change,
               UINT codePage = CP_ACP) {
  TTextFileEdit edit(file, codePage);
  while (!edit.AtEnd && !edit.OpenFailed) {
    edit.ReadLine();
    edit.WriteLine(change(edit));
  }
  return !edit.OpenFailed && edit.Commit();
}

std::wstring Unchanged(TTextFileEdit& e) { return e.CurrentLine; }

void ExpectNoTemporaries(const std::wstring& file) {
  EXPECT_FALSE(PathExists(file + L"~")) << "~ left";
  EXPECT_FALSE(PathExists(file + L"~~")) << "~~ left";
  EXPECT_FALSE(PathExists(file + L".ansi")) << ".ansi left";
}

TEST(TextFileEdit, UnchangedEditGivesBackTheSameBytes) {
  struct Case {
    const wchar_t* what;
    std::string bytes;
    UINT codePage;
  };
  std::string allBytes = "[x]\n";
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') allBytes += static_cast<char>(b);
  }
  allBytes += "\nlast";
  const std::wstring real = L"fixtures\\real-world\\";
  const Case cases[] = {
      {L"all bytes, 1252", allBytes, 1252},
      {L"all bytes, system code page", allBytes, CP_ACP},
      {L"GBK", ReadBytes(SourceFile(real + L"hulucc-totalcmd\\wincmd.ini")), CP_ACP},
      {L"UTF-8", ReadBytes(SourceFile(real + L"taurit-TotalCommander\\wincmd.ini")), CP_ACP},
      {L"UTF-16", ReadBytes(SourceFile(real + L"chchoiw-TC\\VERTICAL.BAR")), CP_ACP},
      {L"UTF-16 with CJK", ReadBytes(SourceFile(real + L"chchoiw-TC\\WinCMD.ini")), CP_ACP},
  };
  TempDir dir;
  for (const Case& c : cases) {
    ASSERT_GT(c.bytes.size(), 10u) << c.what;
    const std::wstring file = dir / L"f.ini";
    WriteBytes(file, c.bytes);
    EXPECT_TRUE(EditLines(file, Unchanged, c.codePage)) << c.what;
    EXPECT_EQ(ReadBytes(file), c.bytes) << c.what;
    ExpectNoTemporaries(file);
  }
}

TEST(TextFileEdit, EditedFileKeepsItsEncodingAndLineEnds) {
  struct Case {
    const wchar_t* what;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {L"UTF-16 keeps characters and each unchanged line's end",
       Utf16LEFile(L"[a]\r\nx=\u5B89\u5168\nold\n"),
       Utf16LEFile(L"[a]\r\nx=\u5B89\u5168\nnew \u0416\r\n")},
      {L"ANSI mixed line ends", "[a]\nx=1\r\nold\ry\n", "[a]\nx=1\r\nnew \xC6\ny\n"},
      {L"ANSI LF stays LF", "[a]\nold\n", "[a]\nnew \xC6\n"},
      {L"ANSI without final line end", "[a]\r\nold", "[a]\r\nnew \xC6"},
      {L"UTF-8 keeps its mark", "\xEF\xBB\xBF[a]\nold\n", "\xEF\xBB\xBF[a]\nnew \xD0\x96\n"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::wstring file = dir / L"f.ini";
    WriteBytes(file, c.before);
    ASSERT_TRUE(EditLines(
        file,
        [](TTextFileEdit& e) { return e.CurrentLine == L"old" ? L"new \u0416" : e.CurrentLine; },
        1251))
        << c.what;
    EXPECT_EQ(ReadBytes(file), c.after) << c.what;
    ExpectNoTemporaries(file);
  }
}

TEST(TextFileEdit, TracksSectionsAndEnds) {
  TempDir dir;
  const std::wstring file = dir / L"f.ini";
  WriteBytes(file, "top\r\n[Plugins]\r\na=1\r\n[Broken\r\nb=2\r\n");
  TTextFileEdit edit(file);
  std::wstring sections;
  while (!edit.AtEnd) {
    edit.ReadLine();
    sections += L"|" + edit.Section;
    if (edit.Section != L"[plugins]") edit.WriteLine(edit.CurrentLine);  // drop the section
  }
  EXPECT_EQ(sections, L"||[plugins]|[plugins]||");
  EXPECT_EQ(edit.ReadLine(), L"");
  EXPECT_TRUE(edit.AtEnd);
  ASSERT_TRUE(edit.Commit());
  EXPECT_EQ(ReadBytes(file), "top\r\n[Broken\r\nb=2\r\n");
  EXPECT_FALSE(edit.Commit());  // once only

  // An empty file is at its end from the start, so the callers' loop ends.
  WriteBytes(file, "");
  TTextFileEdit empty(file);
  EXPECT_FALSE(empty.OpenFailed);
  EXPECT_TRUE(empty.AtEnd);
}

TEST(TextFileEdit, OpeningProblemsLeaveEverythingAsItWas) {
  TempDir dir;
  const std::wstring file = dir / L"f.ini";
  {
    TTextFileEdit missing(file);
    EXPECT_TRUE(missing.OpenFailed);
  }
  EXPECT_FALSE(PathExists(file));
  ExpectNoTemporaries(file);

  WriteBytes(file, "a\r\n");
  WriteBytes(file + L"~", "leftover of an interrupted edit");
  EXPECT_TRUE(EditLines(file, [](TTextFileEdit&) { return std::wstring(L"b"); }));
  EXPECT_EQ(ReadBytes(file), "b\r\n");
  ExpectNoTemporaries(file);

  // A "~" that cannot be deleted: the edit does nothing.
  ASSERT_TRUE(::CreateDirectoryW((file + L"~").c_str(), nullptr));
  EXPECT_FALSE(EditLines(file, [](TTextFileEdit&) { return std::wstring(L"c"); }));
  EXPECT_EQ(ReadBytes(file), "b\r\n");
  ::RemoveDirectoryW((file + L"~").c_str());

  // A read-only file is not edited.
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(EditLines(file, [](TTextFileEdit&) { return std::wstring(L"c"); }));
  EXPECT_EQ(ReadBytes(file), "b\r\n");
  ExpectNoTemporaries(file);
}

TEST(TextFileEdit, FailedCommitNeverLosesTheFile) {
  TempDir dir;
  const std::wstring file = dir / L"f.ini";
  struct Case {
    const char* what;
    // Sets up the obstacle after the edit was opened; returns what undoes it.
    std::function<std::function<void()>()> obstacle;
  };
  auto holdOpen = [](const std::wstring& path, DWORD access, DWORD share) {
    auto handle = std::make_shared<platform::unique_hfile>(
        ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(*handle) << "cannot hold " << ::GetLastError();
    return [handle] { handle->reset(); };
  };
  const Case cases[] = {
      {"file held open without delete sharing",
       [&] { return holdOpen(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE); }},
      {"a folder stands at ~~",
       [&] {
         ::CreateDirectoryW((file + L"~~").c_str(), nullptr);
         return std::function<void()>([&] { ::RemoveDirectoryW((file + L"~~").c_str()); });
       }},
      {"~~ held open",
       [&] {
         WriteBytes(file + L"~~", "stale");
         return holdOpen(file + L"~~", GENERIC_READ, FILE_SHARE_READ);
       }},
      {"~ held open, so the second rename fails",
       [&] { return holdOpen(file + L"~", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE); }},
  };
  for (const Case& c : cases) {
    WriteBytes(file, "[a]\r\nold\r\n");
    TTextFileEdit edit(file);
    ASSERT_FALSE(edit.OpenFailed) << c.what;
    while (!edit.AtEnd) {
      edit.ReadLine();
      edit.WriteLine(L"new");
    }
    std::function<void()> undo = c.obstacle();
    EXPECT_FALSE(edit.Commit()) << c.what;
    undo();
    EXPECT_EQ(ReadBytes(file), "[a]\r\nold\r\n") << c.what;
    ::DeleteFileW((file + L"~").c_str());
    ::DeleteFileW((file + L"~~").c_str());
  }
}

TEST(TextFileEdit, ConsecutiveEditsSeeEachOther) {
  TempDir dir;
  const std::wstring file = dir / L"wincmd.ini";
  WriteBytes(file, Utf16LEFile(L"[searches]\r\n[colors]\r\n"));
  auto addAfter = [&](const wchar_t* header, const wchar_t* line) {
    return EditLines(file, [&](TTextFileEdit& e) {
      return e.CurrentLine == header ? e.CurrentLine + L"\r\n" + line : e.CurrentLine;
    });
  };
  // Written as one line holding CR LF, read back as two.
  ASSERT_TRUE(addAfter(L"[searches]", L"Orvelle=1"));
  ASSERT_TRUE(addAfter(L"[colors]", L"ColorFilter1=Orvelle"));
  EXPECT_EQ(ReadBytes(file),
            Utf16LEFile(L"[searches]\r\nOrvelle=1\r\n[colors]\r\nColorFilter1=Orvelle\r\n"));

  // A second edit while the first is open fails instead of undoing the first.
  TTextFileEdit first(file);
  ASSERT_FALSE(first.OpenFailed);
  TTextFileEdit second(file);
  EXPECT_TRUE(second.OpenFailed);
  second.Abandon();
  while (!first.AtEnd) {
    first.ReadLine();
    if (first.CurrentLine != L"Orvelle=1") first.WriteLine(first.CurrentLine);
  }
  EXPECT_TRUE(first.Commit());
  EXPECT_EQ(ReadBytes(file), Utf16LEFile(L"[searches]\r\n[colors]\r\nColorFilter1=Orvelle\r\n"));
}

TEST(TextFileEdit, DestructorCommitsAndAbandonKeepsTheOriginal) {
  TempDir dir;
  const std::wstring file = dir / L"f.ini";
  WriteBytes(file, "a\r\n");
  {
    TTextFileEdit edit(file);
    edit.ReadLine();
    edit.WriteLine(L"b");
  }
  EXPECT_EQ(ReadBytes(file), "b\r\n");
  {
    TTextFileEdit edit(file);
    edit.ReadLine();
    edit.WriteLine(L"c");
    edit.Abandon();
  }
  EXPECT_EQ(ReadBytes(file), "b\r\n");
  ExpectNoTemporaries(file);
}

}  // namespace
}  // namespace orvelle
