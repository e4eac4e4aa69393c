// Text and records handed to the host through either interface: the buffers
// the host gives are never overrun, never left unterminated, and a cut never
// leaves half a character; the wide interface carries every character, the
// ANSI one turns what its code page lacks into "?".
#include "plugin/host_text.h"

#include "plugin/columns.h"
#include "plugin/host_api.h"
#include "plugin/state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orvelle {
namespace {

// Cyrillic, Greek and CJK letters and a character outside the basic plane
// (a surrogate pair).
const std::wstring kMixed = L"\u0421\u0435\u0442\u044C \u0394\u03AF\u03BA\u03C4\u03C5\u03BF "
                            L"\u7DB2\u7D61 \U0001F600";

TEST(HostText, WideBuffersGetEveryCharacterAndAreCutWhereACharacterEnds) {
  struct Case {
    std::wstring text;
    int capacity;
    std::wstring expected;
  };
  const std::wstring pair = L"ab\U0001F600";  // 'a', 'b', high and low surrogate
  const Case cases[] = {
      {kMixed, 64, kMixed},
      {L"abcdef", 4, L"abc"},
      {L"abc", 4, L"abc"},
      {L"abc", 1, L""},
      {pair, 5, pair},
      {pair, 4, L"ab"},  // the pair would be cut in two: left out whole
      {pair, 3, L"ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capacity);
    std::vector<wchar_t> buffer(c.capacity + 4, L'#');
    CopyToHost(c.text, buffer.data(), c.capacity);
    EXPECT_EQ(std::wstring(buffer.data()), c.expected);
    EXPECT_EQ(buffer[c.capacity], L'#') << "written past the buffer";
  }
  wchar_t untouched[2] = {L'#', L'#'};
  CopyToHost(L"abc", untouched, 0);
  CopyToHost(L"abc", static_cast<wchar_t*>(nullptr), 10);
  EXPECT_EQ(untouched[0], L'#');
}

TEST(HostText, AnsiBuffersGetQuestionMarksForWhatTheCodePageLacks) {
  std::vector<char> buffer(64, '#');
  // U+0101 has a look-alike "a" that a best-fit conversion would give: a
  // name the host hands back must never be another entry's name.
  CopyToHost(L"x\u0101\u7DB2y", buffer.data(), 64);
  CPINFO info{};
  ::GetCPInfo(CP_ACP, &info);
  if (info.MaxCharSize == 1) {
    EXPECT_EQ(std::string(buffer.data()), "x??y");
  }
  EXPECT_EQ(std::string(buffer.data()).find('a'), std::string::npos);

  std::vector<char> small(8, '#');
  CopyToHost(L"abcdef", small.data(), 4);
  EXPECT_EQ(std::string(small.data()), "abc");
  EXPECT_EQ(small[4], '#');
  // However long the text, the buffer is filled to its end (less one byte
  // where a double-byte letter would not fit) and no further.
  std::vector<char> filled(300, '#');
  CopyToHost(std::wstring(1000, L'\u0394'), filled.data(), 260);
  EXPECT_LE(std::string(filled.data()).size(), 259u);
  EXPECT_GE(std::string(filled.data()).size(), 258u);
  EXPECT_EQ(filled[260], '#');
  EXPECT_EQ(FromHost(static_cast<const char*>(nullptr)), L"");
  EXPECT_EQ(FromHost(L"\u0394"), L"\u0394");
}

TEST(HostText, FindDataOfBothFormsCarryTheEntry) {
  ListedEntry entry;
  entry.attributes = FILE_ATTRIBUTE_DIRECTORY;
  entry.lastWrite = {0x11111111, 0x01ACFBDB};
  entry.sizeHigh = 1;
  entry.sizeLow = 2;
  entry.name = kMixed;
  WIN32_FIND_DATAW wide;
  std::memset(&wide, 0x55, sizeof wide);
  FillFindData(entry, &wide);
  EXPECT_EQ(std::wstring(wide.cFileName), kMixed);
  EXPECT_EQ(wide.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(wide.ftLastWriteTime.dwHighDateTime, 0x01ACFBDBu);
  EXPECT_EQ(wide.nFileSizeHigh, 1u);
  EXPECT_EQ(wide.nFileSizeLow, 2u);
  EXPECT_EQ(wide.ftCreationTime.dwLowDateTime, 0u) << "the rest of the record is cleared";
  EXPECT_EQ(wide.cAlternateFileName[0], L'\0');

  entry.name = std::wstring(300, L'n');
  FillFindData(entry, &wide);
  EXPECT_EQ(std::wstring(wide.cFileName), std::wstring(MAX_PATH - 1, L'n'));
  WIN32_FIND_DATAA ansi;
  FillFindData(entry, &ansi);
  EXPECT_EQ(std::string(ansi.cFileName), std::string(MAX_PATH - 1, 'n'));
}

// The columns: wide text of type 11 through the wide interface, whose buffer
// the host counts in bytes; ANSI text of type 8 through the ANSI one.
TEST(HostText, FieldValuesAreWideThroughTheWideInterface) {
  CreateState(nullptr);
  TVirtualTreeItem item;
  item.Path = L"\\";
  item.Name = kMixed;
  item.Status = L">";
  item.Info = kMixed;
  State().Tree.Tree.Append(item);
  const std::wstring path = L"\\" + kMixed;

  std::vector<wchar_t> wide(64, L'#');
  EXPECT_EQ(FieldValueToHost(State(), path, 1, wide.data(), 128), host::ft_stringw);
  EXPECT_EQ(std::wstring(wide.data()), kMixed);
  EXPECT_EQ(FieldValueToHost(State(), path, 0, wide.data(), 128), host::ft_stringw);
  EXPECT_EQ(std::wstring(wide.data()), L">");

  std::vector<wchar_t> small(8, L'#');
  EXPECT_EQ(FieldValueToHost(State(), path, 1, small.data(), 8), host::ft_stringw);
  EXPECT_EQ(std::wstring(small.data()), kMixed.substr(0, 3)) << "8 bytes: 3 characters and 0";
  EXPECT_EQ(small[4], L'#');

  std::vector<char> ansi(64, '#');
  EXPECT_EQ(FieldValueToHost(State(), path, 0, ansi.data(), 64), host::ft_string);
  EXPECT_EQ(std::string(ansi.data()), ">");
  std::vector<wchar_t> untouched(4, L'#');
  EXPECT_EQ(FieldValueToHost(State(), path, 2, untouched.data(), 8), host::ft_nosuchfield);
  EXPECT_EQ(untouched[0], L'#');
  DestroyState();
}

// A value buffer without room for one character (a wide one of 0 or 1
// bytes, an ANSI one of 0 bytes, or none) gets nothing written, and the
// host is not told that a value stands in it.
TEST(HostText, FieldValueIntoNoRoomIsEmptyAndUnwritten) {
  CreateState(nullptr);
  TVirtualTreeItem item;
  item.Path = L"\\";
  item.Name = L"x";
  item.Status = L">";
  State().Tree.Tree.Append(item);
  for (int maxlen : {-4, 0, 1}) {
    wchar_t wide[2] = {L'#', L'#'};
    EXPECT_EQ(FieldValueToHost(State(), L"\\x", 0, wide, maxlen), host::ft_fieldempty) << maxlen;
    EXPECT_EQ(wide[0], L'#') << maxlen;
    char ansi[2] = {'#', '#'};
    if (maxlen < 1) {
      EXPECT_EQ(FieldValueToHost(State(), L"\\x", 0, ansi, maxlen), host::ft_fieldempty);
      EXPECT_EQ(ansi[0], '#') << maxlen;
    }
  }
  EXPECT_EQ(FieldValueToHost(State(), L"\\x", 0, static_cast<wchar_t*>(nullptr), 64),
            host::ft_fieldempty);
  // Room for the terminating zero only: an empty text, reported as written.
  wchar_t one[2] = {L'#', L'#'};
  EXPECT_EQ(FieldValueToHost(State(), L"\\x", 0, one, 2), host::ft_stringw);
  EXPECT_EQ(one[0], L'\0');
  EXPECT_EQ(one[1], L'#');
  DestroyState();
}

}  // namespace
}  // namespace orvelle
