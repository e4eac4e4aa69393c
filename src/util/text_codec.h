// Decoding and encoding of the host's text files, as pure functions over bytes.
// A file keeps its encoding: what is read as ANSI is written back as ANSI with
// the same code page, UTF-16 LE stays UTF-16 LE with its mark, UTF-8 with a
// mark stays so.
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
  // The line end written after every line: the file's own first line end for
  // ANSI and UTF-8 files ("\r\n" or "\n"), always "\r\n" for UTF-16.
  std::wstring lineEnd = L"\r\n";
};

// Detects the mark (FF FE, FE FF, EF BB BF; none = ANSI in codePage), decodes
// and splits into lines at CR LF, CR or LF. A final line end adds no empty line.
TextDocument DecodeText(std::string_view bytes, UINT codePage = CP_ACP);

// Encodes with the document's encoding and mark; every line, the last one
// included, is followed by lineEnd (CR LF for UTF-16).
std::string EncodeText(const TextDocument& doc, UINT codePage = CP_ACP);

// True when every character of the lines survives a round trip through the
// code page; files the plugin creates for itself are ANSI only then, and
// UTF-16 LE with the mark otherwise.
bool FitsCodePage(const std::vector<std::wstring>& lines, UINT codePage = CP_ACP);

}  // namespace orvelle
