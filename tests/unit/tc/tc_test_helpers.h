// Helpers of the installation-model tests: files in the host's encodings,
// models of temporary installations, and recorded message boxes.
#pragma once

#include "platform/message_box.h"
#include "platform/strings.h"
#include "support/temp_dir.h"
#include "tc/ttc.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace orvelle::test {

enum class Encoding { Ansi, Utf16, Utf8Bom };

// Writes text with CR LF line ends in the encoding, creating the folders.
inline void WriteTextFile(const std::wstring& path, std::wstring_view text,
                          Encoding encoding = Encoding::Ansi) {
  for (size_t i = 3; i < path.size(); ++i) {
    if (path[i] == L'\\') ::CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
  }
  std::wstring crlf;
  for (wchar_t c : text) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  std::string bytes;
  if (encoding == Encoding::Utf16) {
    bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(crlf.data()), crlf.size() * sizeof(wchar_t));
  } else if (encoding == Encoding::Utf8Bom) {
    bytes = "\xEF\xBB\xBF" + platform::AnsiFromWide(crlf, CP_UTF8);
  } else {
    bytes = platform::AnsiFromWide(crlf, 1252);
  }
  WriteBytes(path, bytes);
}

// An empty file (a plugin or program whose content does not matter).
inline void TouchFile(const std::wstring& path) { WriteTextFile(path, L""); }

// A model of an installation in dir: ExeFile dir\totalcmd.exe, IniFile and
// MainIniFile dir\wincmd.ini, COMMANDER_PATH in the environment.
inline TTC ModelIn(const std::wstring& dir) {
  TTC model(dir + L"\\totalcmd.exe");
  model.IniFile = model.MainIniFile = dir + L"\\wincmd.ini";
  model.EnvNames = {L"COMMANDER_PATH", L"COMMANDER_INI"};
  model.EnvValues = {dir, model.IniFile};
  return model;
}

// Answers every message box with IDOK and records its text while alive.
class MessageRecorder {
 public:
  MessageRecorder() {
    previous_ = platform::SetMessageBoxHandler([this](const std::wstring& text, UINT flags) {
      texts.push_back(text);
      flags_.push_back(flags);
      return IDOK;
    });
  }
  ~MessageRecorder() { platform::SetMessageBoxHandler(previous_); }
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  std::vector<std::wstring> texts;
  UINT LastFlags() const { return flags_.empty() ? 0 : flags_.back(); }

 private:
  std::vector<UINT> flags_;
  platform::MessageBoxHandler previous_;
};

// A real-world configuration file of fixtures\real-world (read-only).
inline std::wstring RealWorldFile(std::wstring_view relative) {
  return SourceFile(L"fixtures\\real-world\\" + std::wstring(relative));
}

}  // namespace orvelle::test
