#include "util/text_codec.h"

#include <algorithm>

namespace orvelle {

namespace {

constexpr wchar_t kByteEscape = 0xDC00;  // U+DC00 + byte stands for a raw byte

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsEscape(wchar_t c) { return c >= 0xDC00 && c <= 0xDCFF; }

UINT ResolveCodePage(UINT codePage) {
  if (codePage == CP_ACP) return ::GetACP();
  if (codePage == CP_OEMCP) return ::GetOEMCP();
  return codePage;
}

int MaxCharSize(UINT codePage) {
  if (codePage == CP_UTF8) return 4;
  CPINFO info{};
  return ::GetCPInfo(codePage, &info) && info.MaxCharSize > 0 ? static_cast<int>(info.MaxCharSize)
                                                              : 1;
}

// Strict conversion: false when the bytes hold anything the code page does not
// define. Code pages that refuse the strictness flag are converted leniently;
// the round-trip check of the caller still catches what they change.
bool TryDecode(std::string_view bytes, UINT codePage, std::wstring& out) {
  out.clear();
  if (bytes.empty()) return true;
  const int size = static_cast<int>(bytes.size());
  DWORD flags = MB_ERR_INVALID_CHARS;
  int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (n <= 0 && ::GetLastError() == ERROR_INVALID_FLAGS) {
    flags = 0;
    n = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  }
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  return ::MultiByteToWideChar(codePage, flags, bytes.data(), size, out.data(), n) == n;
}

std::string EncodePlain(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  int n = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string(text.size(), '?');
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string EncodeResolved(std::wstring_view line, UINT codePage) {
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (IsHighSurrogate(line[i]) && i + 1 < line.size()) {
      ++i;  // a surrogate pair, whatever its low half
      continue;
    }
    if (!IsEscape(line[i])) continue;
    out += EncodePlain(line.substr(start, i - start), codePage);
    out += static_cast<char>(line[i] - kByteEscape);
    start = i + 1;
  }
  out += EncodePlain(line.substr(start), codePage);
  return out;
}

// One character at a time: the shortest run of bytes that the code page turns
// into text and back unchanged, else the first byte escaped.
std::wstring DecodeByCharacter(std::string_view bytes, UINT codePage) {
  const size_t maxLen = static_cast<size_t>(MaxCharSize(codePage));
  std::wstring out;
  std::wstring chunkText;
  size_t i = 0;
  while (i < bytes.size()) {
    size_t taken = 0;
    for (size_t len = 1; len <= maxLen && i + len <= bytes.size(); ++len) {
      std::string_view chunk = bytes.substr(i, len);
      if (TryDecode(chunk, codePage, chunkText) && !chunkText.empty() &&
          EncodeResolved(chunkText, codePage) == chunk) {
        taken = len;
        break;
      }
    }
    if (taken == 0) {
      out += static_cast<wchar_t>(kByteEscape + static_cast<unsigned char>(bytes[i]));
      ++i;
    } else {
      out += chunkText;
      i += taken;
    }
  }
  return out;
}

// Splits at CR LF, CR or LF. Reports each line's end (empty for a last line
// that runs up to the end) and whether the text ends with one.
template <typename Char>
std::vector<std::basic_string_view<Char>> SplitLines(std::basic_string_view<Char> text,
                                                     std::vector<std::basic_string_view<Char>>& ends,
                                                     bool& finalLineEnd) {
  std::vector<std::basic_string_view<Char>> lines;
  ends.clear();
  finalLineEnd = true;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != Char('\r') && text[i] != Char('\n')) {
      ++i;
      continue;
    }
    size_t endLen = (text[i] == Char('\r') && i + 1 < text.size() && text[i + 1] == Char('\n')) ? 2 : 1;
    lines.push_back(text.substr(start, i - start));
    ends.push_back(text.substr(i, endLen));
    i += endLen;
    start = i;
  }
  if (start < text.size()) {
    lines.push_back(text.substr(start));
    ends.emplace_back();
    finalLineEnd = false;
  }
  return lines;
}

template <typename Char>
void KeepLineEnds(const std::vector<std::basic_string_view<Char>>& ends, TextDocument& doc) {
  doc.lineEnds.reserve(ends.size());
  for (std::basic_string_view<Char> end : ends) {
    std::wstring wide(end.begin(), end.end());  // only CR and LF: the same in every encoding
    if (doc.lineEnds.empty() && !wide.empty()) doc.lineEnd = wide;
    doc.lineEnds.push_back(std::move(wide));
  }
}

void AppendUtf16(std::string& out, std::wstring_view text, bool bigEndian) {
  for (wchar_t c : text) {
    const char lo = static_cast<char>(c & 0xFF);
    const char hi = static_cast<char>((c >> 8) & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
}

}  // namespace

std::wstring DecodeLine8(std::string_view bytes, UINT codePage) {
  codePage = ResolveCodePage(codePage);
  std::wstring text;
  if (TryDecode(bytes, codePage, text) && EncodeResolved(text, codePage) == bytes) return text;
  return DecodeByCharacter(bytes, codePage);
}

std::string EncodeLine8(std::wstring_view line, UINT codePage) {
  return EncodeResolved(line, ResolveCodePage(codePage));
}

TextDocument DecodeText(std::string_view bytes, UINT codePage) {
  TextDocument doc;
  auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (startsWith("\xFF\xFE")) {
    doc.encoding = TextEncoding::Utf16LE;
  } else if (startsWith("\xFE\xFF")) {
    doc.encoding = TextEncoding::Utf16BE;
  } else if (startsWith("\xEF\xBB\xBF")) {
    doc.encoding = TextEncoding::Utf8;
  }

  if (doc.encoding == TextEncoding::Utf16LE || doc.encoding == TextEncoding::Utf16BE) {
    const bool bigEndian = doc.encoding == TextEncoding::Utf16BE;
    std::wstring text;
    text.reserve((bytes.size() - 2) / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto b0 = static_cast<unsigned char>(bytes[i]);
      const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
      text += static_cast<wchar_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0));
    }
    std::vector<std::wstring_view> ends;
    for (std::wstring_view line : SplitLines<wchar_t>(text, ends, doc.finalLineEnd)) {
      doc.lines.emplace_back(line);
    }
    KeepLineEnds(ends, doc);
    return doc;
  }

  const bool utf8 = doc.encoding == TextEncoding::Utf8;
  const UINT lineCodePage = utf8 ? CP_UTF8 : ResolveCodePage(codePage);
  std::string_view body = bytes.substr(utf8 ? 3 : 0);
  std::vector<std::string_view> ends;
  for (std::string_view line : SplitLines<char>(body, ends, doc.finalLineEnd)) {
    doc.lines.push_back(DecodeLine8(line, lineCodePage));
  }
  KeepLineEnds(ends, doc);
  return doc;
}

std::string EncodeText(const TextDocument& doc, UINT codePage) {
  std::string out;
  const size_t count = doc.lines.size();
  switch (doc.encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      const bool bigEndian = doc.encoding == TextEncoding::Utf16BE;
      out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
      for (size_t i = 0; i < count; ++i) {
        AppendUtf16(out, doc.lines[i], bigEndian);
        if (i + 1 < count || doc.finalLineEnd) AppendUtf16(out, doc.LineEndOf(i), bigEndian);
      }
      return out;
    }
    case TextEncoding::Utf8:
    case TextEncoding::Ansi: {
      const bool utf8 = doc.encoding == TextEncoding::Utf8;
      const UINT lineCodePage = utf8 ? CP_UTF8 : ResolveCodePage(codePage);
      if (utf8) out = "\xEF\xBB\xBF";
      for (size_t i = 0; i < count; ++i) {
        out += EncodeResolved(doc.lines[i], lineCodePage);
        if (i + 1 < count || doc.finalLineEnd) {
          const std::wstring& end = doc.LineEndOf(i);
          out += end.empty() ? "\r\n" : EncodeLine8(end, CP_UTF8);
        }
      }
      return out;
    }
  }
  return out;
}

bool DecodesExactly(std::string_view bytes, UINT codePage) {
  const TextDocument doc = DecodeText(bytes, codePage);
  if (EncodeText(doc, codePage) != bytes) return false;
  if (doc.encoding != TextEncoding::Utf16LE && doc.encoding != TextEncoding::Utf16BE) return true;
  // A byte lost in the middle of UTF-16 text shifts everything behind it
  // into other characters; unpaired surrogates are the usual trace of that.
  for (const std::wstring& line : doc.lines) {
    for (size_t i = 0; i < line.size(); ++i) {
      if (IsHighSurrogate(line[i]) && i + 1 < line.size() && IsLowSurrogate(line[i + 1])) {
        ++i;
        continue;
      }
      if (line[i] >= 0xD800 && line[i] <= 0xDFFF) return false;
    }
  }
  return true;
}

bool FitsCodePage(const std::vector<std::wstring>& lines, UINT codePage) {
  codePage = ResolveCodePage(codePage);
  return std::all_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
    return DecodeLine8(EncodeResolved(line, codePage), codePage) == line;
  });
}

}  // namespace orvelle
