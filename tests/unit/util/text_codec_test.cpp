#include "util/text_codec.h"

#include "support/text_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle {
namespace {

using namespace std::string_literals;
using test::Utf16LEFile;

// Every byte value but the two line-end bytes, in one line.
std::string AllBytesLine() {
  std::string line;
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') line += static_cast<char>(b);
  }
  return line;
}

TEST(TextCodec, DetectsMarkAndSplitsLines) {
  struct Case {
    std::string bytes;
    TextEncoding encoding;
    std::vector<std::wstring> lines;
    std::wstring lineEnd;
    bool finalLineEnd;
  };
  const Case cases[] = {
      {"", TextEncoding::Ansi, {}, L"\r\n", true},
      {"\xFF", TextEncoding::Ansi, {L"\u00FF"}, L"\r\n", false},  // one byte: no mark
      {"\xEF\xBB", TextEncoding::Ansi, {L"\u00EF\u00BB"}, L"\r\n", false},
      {"\xFF\xFE", TextEncoding::Utf16LE, {}, L"\r\n", true},
      {Utf16LEFile(L"\r\n[a]\r\nx=1\ny\r\n"), TextEncoding::Utf16LE,
       {L"", L"[a]", L"x=1", L"y"}, L"\r\n", true},
      {Utf16LEFile(L"a") + "b", TextEncoding::Utf16LE, {L"a"}, L"\r\n", false},
      {"\xFE\xFF\0a\0\r\0\n\0b"s, TextEncoding::Utf16BE, {L"a", L"b"}, L"\r\n", false},
      {"\xEF\xBB\xBFx\ny\n", TextEncoding::Utf8, {L"x", L"y"}, L"\n", true},
      {"\xEF\xBB\xBF\xD0\x9F", TextEncoding::Utf8, {L"\u041F"}, L"\r\n", false},
      {"a\r\nb\rc\nd", TextEncoding::Ansi, {L"a", L"b", L"c", L"d"}, L"\r\n", false},
      {"a\n\n", TextEncoding::Ansi, {L"a", L""}, L"\n", true},
      {"a\rb\r", TextEncoding::Ansi, {L"a", L"b"}, L"\r", true},
  };
  for (const Case& c : cases) {
    TextDocument doc = DecodeText(c.bytes, 1252);
    EXPECT_EQ(doc.encoding, c.encoding) << c.bytes;
    EXPECT_EQ(doc.lines, c.lines) << c.bytes;
    EXPECT_EQ(doc.lineEnd, c.lineEnd) << c.bytes;
    EXPECT_EQ(doc.finalLineEnd, c.finalLineEnd) << c.bytes;
  }
}

TEST(TextCodec, UnchangedTextEncodesToTheSameBytes) {
  const std::string cases[] = {
      "",
      "[Configuration]\r\nkey=value\r\n",
      "lf only\nsecond\n",
      "no final line end\r\nlast",
      Utf16LEFile(L"[\u5B89\u5168]\r\n\xD83D\xDE00=emoji\r\n\xDC80 lone\r\n"),
      "\xFE\xFF\0[\0a\0]\0\r\0\n"s,
      "\xEF\xBB\xBF[x]\nSetEncoding=\xEF\xBF\xBD\xEF\xBF\xBD\n",
      "\xEF\xBB\xBF" "bad \xC3 utf8 \xED\xB2\x80 \xF0\x9F\x98\x80\n",
  };
  for (const std::string& bytes : cases) {
    EXPECT_EQ(EncodeText(DecodeText(bytes, 1252), 1252), bytes) << bytes;
  }
}

TEST(TextCodec, EveryByteOfAnAnsiLineSurvivesAnyCodePage) {
  const std::string bytes = "[x]\r\n" + AllBytesLine() + "\r\nlast\r\n";
  for (UINT codePage : {1252u, 936u, 1251u, static_cast<UINT>(CP_ACP)}) {
    TextDocument doc = DecodeText(bytes, codePage);
    ASSERT_EQ(doc.lines.size(), 3u) << codePage;
    EXPECT_EQ(EncodeText(doc, codePage), bytes) << codePage;
    // Editing another line leaves this one's bytes alone.
    doc.lines[0] = L"[y]";
    EXPECT_EQ(EncodeText(doc, codePage), "[y]\r\n" + AllBytesLine() + "\r\nlast\r\n") << codePage;
  }
}

TEST(TextCodec, AnsiDecodesThroughTheCodePage) {
  EXPECT_EQ(DecodeText("caf\xE9 \x80", 1252).lines.at(0), L"caf\u00E9 \u20AC");
  EXPECT_EQ(DecodeText("\xD6\xD0\xCE\xC4", 936).lines.at(0), L"\u4E2D\u6587");
  EXPECT_EQ(DecodeText("\xCF\xF0\xE8", 1251).lines.at(0), L"\u041F\u0440\u0438");
  // A lead byte without its second byte is kept as a byte, the rest decodes.
  const std::wstring broken = DecodeText("\xD6\xD0\xCE", 936).lines.at(0);
  EXPECT_EQ(broken.substr(0, 1), L"\u4E2D");
  EXPECT_EQ(EncodeLine8(broken, 936), "\xD6\xD0\xCE");
}

TEST(TextCodec, Utf16KeepsEveryCharacterAndEachLinesEnd) {
  TextDocument doc = DecodeText(Utf16LEFile(L"a\n\u4E2D\xD83D\xDE00\r\nb"), 1252);
  ASSERT_EQ(doc.lines, (std::vector<std::wstring>{L"a", L"\u4E2D\xD83D\xDE00", L"b"}));
  EXPECT_EQ(doc.lineEnd, L"\n");
  doc.finalLineEnd = true;
  doc.lines.push_back(L"added");
  EXPECT_EQ(EncodeText(doc, 1252),
            Utf16LEFile(L"a\n\u4E2D\xD83D\xDE00\r\nb\nadded\n"));
}

TEST(TextCodec, MixedLineEndsStayWithTheirLinesAndAddedLinesTakeTheFirst) {
  for (const char* mark : {"", "\xEF\xBB\xBF"}) {
    const std::string body = "[a]\nx=1\r\ny=2\rz=3\r\n";
    TextDocument doc = DecodeText(mark + body, 1252);
    ASSERT_EQ(doc.lines.size(), 4u);
    EXPECT_EQ(doc.lineEnds, (std::vector<std::wstring>{L"\n", L"\r\n", L"\r", L"\r\n"}));
    // A line replaced in place keeps its end; inserted lines (no end of
    // their own) get the file's first one.
    doc.lines[2] = L"y=3";
    doc.lines.insert(doc.lines.begin() + 1, L"new=1");
    doc.lineEnds.insert(doc.lineEnds.begin() + 1, L"");
    EXPECT_EQ(EncodeText(doc, 1252), mark + std::string("[a]\nnew=1\nx=1\r\ny=3\rz=3\r\n"));
  }
}

TEST(TextCodec, DecodesExactlyOnlyTextThatComesBackWhole) {
  const std::string utf16 = Utf16LEFile(L"[Colors]\r\nColorFilter1=*.txt\r\n\xD83D\xDE00\r\n");
  struct Case {
    const char* label;
    std::string bytes;
    bool exact;
  };
  const Case cases[] = {
      {"ANSI, mixed line ends", "a\r\nb\nc", true},
      {"bytes no code page knows stay bytes", "\x81\x8D\x90\r\n", true},
      {"UTF-8 with a broken sequence", "\xEF\xBB\xBFok \xC3\n", true},
      {"whole UTF-16", utf16, true},
      {"UTF-16 with one byte lost", utf16.substr(0, 9) + utf16.substr(10), false},
      {"UTF-16 with an odd last byte", utf16 + "x", false},
      {"UTF-16 with a lone surrogate", Utf16LEFile(L"a\xDC80" L"b\r\n"), false},
      {"UTF-16 pair cut in two", Utf16LEFile(L"a\xD83D\r\n"), false},
      {"empty", "", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodesExactly(c.bytes, 1252), c.exact) << c.label;
  }
}

TEST(TextCodec, FitsCodePageOnlyWhenEveryCharacterComesBack) {
  struct Case {
    std::vector<std::wstring> lines;
    UINT codePage;
    bool fits;
  };
  const Case cases[] = {
      {{L"plain", L""}, 1252, true},
      {{L"caf\u00E9 \u20AC"}, 1252, true},
      {{L"ok", L"\u4E2D"}, 1252, false},
      {{L"\u4E2D\u6587"}, 936, true},
      {{L"\u0100"}, 1252, false},  // best fit would make it "A"
      {{L"\xD83D\xDE00"}, 936, false},
      {{DecodeLine8("\x81\xFF", 936)}, 936, true},  // escaped bytes go back as bytes
      {{}, 1252, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitsCodePage(c.lines, c.codePage), c.fits) << c.codePage;
  }
}

}  // namespace
}  // namespace orvelle
