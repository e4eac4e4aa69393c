#include "plugin_calls.h"

#include "callbacks.h"
#include "platform/strings.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

namespace tchost {
namespace {

using orvelle::platform::AnsiFromWide;
using orvelle::platform::WideFromAnsi;

// The host's buffers: paths of MAX_PATH characters through the ANSI
// interface, up to 1023 characters through the wide one; column values of
// this many bytes in either.
constexpr size_t kAnsiPathBuffer = MAX_PATH;
constexpr size_t kWidePathBuffer = 1024;
constexpr int kValueBytes = 2048;
constexpr int kNameBuffer = MAX_PATH;
constexpr int kViewBuffer = 2048;

// A writable, zero-filled copy of a text for the entry points that take
// char* or WCHAR*: at least `capacity` elements, one more than the plugin is
// told, so that a plugin filling the whole buffer still leaves it
// terminated. A longer text is passed whole.
std::vector<char> AnsiBuffer(const std::wstring& text, size_t capacity = kAnsiPathBuffer) {
  std::string ansi = AnsiFromWide(text);
  std::vector<char> buffer(std::max(capacity, ansi.size() + 1) + 1, '\0');
  std::copy(ansi.begin(), ansi.end(), buffer.begin());
  return buffer;
}

std::vector<wchar_t> WideBuffer(const std::wstring& text, size_t capacity = kWidePathBuffer) {
  std::vector<wchar_t> buffer(std::max(capacity, text.size() + 1) + 1, L'\0');
  std::copy(text.begin(), text.end(), buffer.begin());
  return buffer;
}

std::wstring TextOf(const char* buffer, size_t capacity) {
  return WideFromAnsi(std::string_view(buffer, strnlen(buffer, capacity)));
}

std::wstring TextOf(const wchar_t* buffer, size_t capacity) {
  return std::wstring(buffer, wcsnlen(buffer, capacity));
}

template <typename FindData>
void Take(const FindData& data, FoundEntry& entry) {
  entry.name = TextOf(data.cFileName, std::size(data.cFileName));
  entry.attributes = data.dwFileAttributes;
  entry.lastWrite = data.ftLastWriteTime;
  entry.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A column value of the given type from the value buffer, as the harness
// prints it; empty for none (a negative result).
std::wstring FieldText(int type, const std::vector<char>& value) {
  if (type == kFieldTypeString || type == kFieldTypeFullText) {
    return TextOf(value.data(), kValueBytes);
  }
  if (type == kFieldTypeStringW) {
    return TextOf(reinterpret_cast<const wchar_t*>(value.data()), kValueBytes / sizeof(wchar_t));
  }
  if (type == kFieldTypeNumeric32) {
    int n = 0;
    std::memcpy(&n, value.data(), sizeof(n));
    return std::to_wstring(n);
  }
  if (type == kFieldTypeNumeric64) {
    long long n = 0;
    std::memcpy(&n, value.data(), sizeof(n));
    return std::to_wstring(n);
  }
  if (type > 0) return L"<type " + std::to_wstring(type) + L">";
  return {};
}

}  // namespace

PluginCalls::PluginCalls(const PluginApi& api, bool forceAnsi)
    : api_(api), wide_(!forceAnsi && api.FsFindFirstW != nullptr) {}

int PluginCalls::Init(int pluginNr) const {
  if (wide_ && api_.FsInitW) {
    return api_.FsInitW(pluginNr, &ProgressCallbackW, &LogCallbackW, &RequestCallbackW);
  }
  return api_.FsInit(pluginNr, &ProgressCallback, &LogCallback, &RequestCallback);
}

void PluginCalls::StatusInfo(const std::wstring& path, int startEnd, int operation) const {
  if (wide_ && api_.FsStatusInfoW) {
    std::vector<wchar_t> name = WideBuffer(path);
    api_.FsStatusInfoW(name.data(), startEnd, operation);
    return;
  }
  std::vector<char> name = AnsiBuffer(path);
  api_.FsStatusInfo(name.data(), startEnd, operation);
}

HANDLE PluginCalls::FindFirst(const std::wstring& path, FoundEntry& entry) const {
  HANDLE find = INVALID_HANDLE_VALUE;
  if (wide_) {
    std::vector<wchar_t> name = WideBuffer(path);
    WIN32_FIND_DATAW data{};
    find = api_.FsFindFirstW(name.data(), &data);
    if (find != INVALID_HANDLE_VALUE) Take(data, entry);
  } else {
    std::vector<char> name = AnsiBuffer(path);
    WIN32_FIND_DATAA data{};
    find = api_.FsFindFirst(name.data(), &data);
    if (find != INVALID_HANDLE_VALUE) Take(data, entry);
  }
  return find;
}

bool PluginCalls::FindNext(HANDLE find, FoundEntry& entry) const {
  if (wide_ && api_.FsFindNextW) {
    WIN32_FIND_DATAW data{};
    if (!api_.FsFindNextW(find, &data)) return false;
    Take(data, entry);
    return true;
  }
  WIN32_FIND_DATAA data{};
  if (!api_.FsFindNext(find, &data)) return false;
  Take(data, entry);
  return true;
}

void PluginCalls::FindClose(HANDLE find) const { api_.FsFindClose(find); }

int PluginCalls::GetFile(const std::wstring& remote, const std::wstring& local, int flags) const {
  RemoteInfo info{};
  if (wide_ && api_.FsGetFileW) {
    std::vector<wchar_t> remoteName = WideBuffer(remote);
    std::vector<wchar_t> localName = WideBuffer(local);
    return api_.FsGetFileW(remoteName.data(), localName.data(), flags, &info);
  }
  std::vector<char> remoteName = AnsiBuffer(remote);
  std::vector<char> localName = AnsiBuffer(local);
  return api_.FsGetFile(remoteName.data(), localName.data(), flags, &info);
}

int PluginCalls::ExecuteFile(HWND window, const std::wstring& path, const std::wstring& verb,
                             std::wstring& rewritten) const {
  if (wide_ && api_.FsExecuteFileW) {
    std::vector<wchar_t> name = WideBuffer(path);
    std::vector<wchar_t> verbText = WideBuffer(verb);
    const std::wstring before = TextOf(name.data(), name.size() - 1);
    int result = api_.FsExecuteFileW(window, name.data(), verbText.data());
    const std::wstring after = TextOf(name.data(), name.size() - 1);
    rewritten = after != before ? after : std::wstring();
    return result;
  }
  std::vector<char> name = AnsiBuffer(path);
  std::vector<char> verbText = AnsiBuffer(verb);
  const std::wstring before = TextOf(name.data(), name.size() - 1);
  int result = api_.FsExecuteFile(window, name.data(), verbText.data());
  const std::wstring after = TextOf(name.data(), name.size() - 1);
  rewritten = after != before ? after : std::wstring();
  return result;
}

BOOL PluginCalls::DeleteRemote(const std::wstring& path) const {
  if (wide_ && api_.FsDeleteFileW) {
    std::vector<wchar_t> name = WideBuffer(path);
    return api_.FsDeleteFileW(name.data());
  }
  std::vector<char> name = AnsiBuffer(path);
  return api_.FsDeleteFile(name.data());
}

int PluginCalls::ExtractCustomIcon(const std::wstring& path, int flags, HICON* icon) const {
  if (wide_ && api_.FsExtractCustomIconW) {
    std::vector<wchar_t> name = WideBuffer(path);
    return api_.FsExtractCustomIconW(name.data(), flags, icon);
  }
  std::vector<char> name = AnsiBuffer(path);
  return api_.FsExtractCustomIcon(name.data(), flags, icon);
}

int PluginCalls::ContentGetValue(const std::wstring& path, int field, std::wstring& text) const {
  // Room for one more wide character than the plugin is told, zero-filled.
  std::vector<char> value(kValueBytes + sizeof(wchar_t), '\0');
  int type = 0;
  if (wide_ && api_.FsContentGetValueW) {
    std::vector<wchar_t> name = WideBuffer(path);
    type = api_.FsContentGetValueW(name.data(), field, 0, value.data(), kValueBytes, 0);
  } else {
    std::vector<char> name = AnsiBuffer(path);
    type = api_.FsContentGetValue(name.data(), field, 0, value.data(), kValueBytes, 0);
  }
  text = FieldText(type, value);
  return type;
}

BOOL PluginCalls::ContentGetDefaultView(std::wstring (&parts)[4]) const {
  if (wide_ && api_.FsContentGetDefaultViewW) {
    std::vector<wchar_t> b[4];
    for (auto& p : b) p.assign(kViewBuffer + 1, L'\0');
    BOOL result = api_.FsContentGetDefaultViewW(b[0].data(), b[1].data(), b[2].data(),
                                                b[3].data(), kViewBuffer);
    for (int i = 0; i < 4; ++i) parts[i] = TextOf(b[i].data(), kViewBuffer);
    return result;
  }
  std::vector<char> b[4];
  for (auto& p : b) p.assign(kViewBuffer + 1, '\0');
  BOOL result = api_.FsContentGetDefaultView(b[0].data(), b[1].data(), b[2].data(), b[3].data(),
                                             kViewBuffer);
  for (int i = 0; i < 4; ++i) parts[i] = TextOf(b[i].data(), kViewBuffer);
  return result;
}

int PluginCalls::ContentGetSupportedField(int index, std::wstring& name,
                                          std::wstring& units) const {
  std::vector<char> nameBuffer(kNameBuffer + 1, '\0');
  std::vector<char> unitsBuffer(kNameBuffer + 1, '\0');
  int type = api_.FsContentGetSupportedField(index, nameBuffer.data(), unitsBuffer.data(),
                                             kNameBuffer);
  name = TextOf(nameBuffer.data(), kNameBuffer);
  units = TextOf(unitsBuffer.data(), kNameBuffer);
  return type;
}

std::wstring PluginCalls::GetDefRootName() const {
  std::vector<char> name(kNameBuffer + 1, '\0');
  api_.FsGetDefRootName(name.data(), kNameBuffer);
  return TextOf(name.data(), kNameBuffer);
}

}  // namespace tchost
