// Decoding and encoding of the host's text files, as pure functions over bytes.
// A file keeps its encoding: what is read as ANSI is written back as ANSI with
// the same code page, UTF-16 LE stays UTF-16 LE with its mark, UTF-8 with a
// mark stays so.
//
// 8-bit text (ANSI, UTF-8) decodes without loss: a byte that is no character
// of the code page (a lone lead byte, an invalid UTF-8 sequence) becomes the
// lone surrogate U+DC00 + byte, and encoding turns it back into that byte. So
// every line that nobody changed is written back byte for byte, whatever the
// code page makes of it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

enum class TextEncoding { Ansi = 0, Utf16LE = 1, Utf16BE = 2, Utf8 = 3 };

struct TextDocument {
  TextEncoding encoding = TextEncoding::Ansi;
  std::vector<std::wstring> lines;
  // The line end of lines that have none of their own (lines an edit adds):
  // the file's first line end ("\r\n", "\n" or "\r"; "\r\n" when it has
  // none).
  std::wstring lineEnd = L"\r\n";
  // The line end that followed each line in the file, parallel to lines
  // (and possibly shorter): files may mix them, and a line nobody changed
  // keeps its own. Empty for a line without one of its own.
  std::vector<std::wstring> lineEnds;
  // Whether the last line is followed by a line end; false only for a file
  // whose last line runs up to its end.
  bool finalLineEnd = true;

  // The line end written after line i (the last one only with finalLineEnd).
  const std::wstring& LineEndOf(size_t i) const {
    return i < lineEnds.size() && !lineEnds[i].empty() ? lineEnds[i] : lineEnd;
  }
};

// Detects the mark (FF FE, FE FF, EF BB BF; none = ANSI in codePage), decodes
// and splits into lines at CR LF, CR or LF, keeping each line's end. A final
// line end adds no empty line. An odd trailing byte of UTF-16 text is dropped.
TextDocument DecodeText(std::string_view bytes, UINT codePage = CP_ACP);

// Encodes with the document's encoding and mark; every line is followed by
// its line end (LineEndOf), the last one only when finalLineEnd is set.
std::string EncodeText(const TextDocument& doc, UINT codePage = CP_ACP);

// Whether the bytes are text that DecodeText takes in whole: encoding the
// decoded document gives back exactly these bytes, and UTF-16 text holds no
// unpaired surrogate. A file that fails this (an odd byte dropped, a byte
// lost in the middle of UTF-16 text) would be damaged further by a rewrite.
bool DecodesExactly(std::string_view bytes, UINT codePage = CP_ACP);

// One line of 8-bit text in and out of a code page (CP_UTF8 included), with
// the lossless byte escapes described above.
std::wstring DecodeLine8(std::string_view bytes, UINT codePage = CP_ACP);
std::string EncodeLine8(std::wstring_view line, UINT codePage = CP_ACP);

// True when every character of the lines survives a round trip through the
// code page; files the plugin creates for itself are ANSI only then, and
// UTF-16 LE with the mark otherwise.
bool FitsCodePage(const std::vector<std::wstring>& lines, UINT codePage = CP_ACP);

}  // namespace orvelle
