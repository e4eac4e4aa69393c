#include "commands.h"

#include "output.h"
#include "panel_view.h"
#include "platform/strings.h"
#include "user_watcher.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tchost {
namespace {

using orvelle::platform::AnsiFromWide;
using orvelle::platform::WideFromAnsi;

// The host hands the plugin buffers of this many characters for names and
// column values.
constexpr int kTextBuffer = MAX_PATH;
constexpr int kValueBuffer = 2048;
// A plugin that lists a folder inside itself would send the tree on forever.
constexpr int kMaxTreeDepth = 64;

// A writable, zero-filled ANSI copy of a text for the entry points that take
// char*: at least `capacity` bytes, one more than the plugin is told, so that
// a plugin filling the whole buffer still leaves it terminated.
std::vector<char> AnsiBuffer(const std::wstring& text, size_t capacity = kTextBuffer) {
  std::string ansi = AnsiFromWide(text);
  std::vector<char> buffer(std::max(capacity, ansi.size() + 1) + 1, '\0');
  std::copy(ansi.begin(), ansi.end(), buffer.begin());
  return buffer;
}

std::wstring TextOf(const char* buffer, size_t capacity) {
  return WideFromAnsi(std::string_view(buffer, strnlen(buffer, capacity)));
}

std::wstring FormatFileTime(const FILETIME& time) {
  if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) return L"0";
  SYSTEMTIME st{};
  if (!::FileTimeToSystemTime(&time, &st)) return L"invalid";
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond);
  return text;
}

// An empty folder answers FsFindFirst with ERROR_NO_MORE_FILES; any other
// error (or none) is a listing the plugin refused.
std::wstring EmptyListing(DWORD findError) {
  if (findError == ERROR_NO_MORE_FILES) return L"(empty)";
  return L"(failed, error " + std::to_wstring(findError) + L")";
}

std::wstring Result(int value) { return L" -> " + std::to_wstring(value); }

}  // namespace

std::wstring ChildPath(const std::wstring& folder, const std::wstring& name) {
  return folder == L"\\" ? L"\\" + name : folder + L"\\" + name;
}

std::wstring ListingColumns(const WIN32_FIND_DATAA& data, const std::wstring& sign,
                            const std::wstring& comment) {
  bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  unsigned long long size =
      (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return std::wstring(isDir ? L"d" : L"f") + L"\t" + std::to_wstring(size) + L"\t" +
         std::to_wstring(data.dwFileAttributes) + L"\t" + FormatFileTime(data.ftLastWriteTime) +
         L"\t" + OneLine(sign) + L"\t" + OneLine(comment);
}

void CommandRunner::Run(const Command& command) {
  const std::vector<std::wstring>& a = command.args;
  // The entry points are gone with the library.
  if (unloaded_ && command.kind != CommandKind::Pump && command.kind != CommandKind::Unload) {
    PrintLine(L"(unloaded)");
    window_.PumpPending();
    return;
  }
  switch (command.kind) {
    case CommandKind::List: {
      DWORD error = 0;
      std::vector<Entry> entries = ListFolder(a[0], error);
      if (entries.empty()) PrintLine(EmptyListing(error));
      for (const Entry& e : entries) {
        PrintLine(OneLine(e.name) + L"\t" + ListingColumns(e.data, e.sign, e.comment));
      }
      break;
    }
    case CommandKind::Tree:
      PrintTree(a[0], 0);
      break;
    case CommandKind::Exec:
      Exec(a[0], a[1]);
      break;
    case CommandKind::Get:
      Get(a[0], a[1], command.flags);
      break;
    case CommandKind::Delete: {
      std::vector<char> path = AnsiBuffer(a[0]);
      BOOL result = api_.FsDeleteFile(path.data());
      PrintLine(L"delete " + a[0] + Result(result));
      break;
    }
    case CommandKind::Icon:
      Icon(a[0]);
      break;
    case CommandKind::Fields:
      Fields();
      break;
    case CommandKind::Root:
      Root();
      break;
    case CommandKind::Pump:
      window_.PumpFor(command.seconds);
      break;
    case CommandKind::Show:
      Show(a[0]);
      break;
    case CommandKind::Unload:
      if (!unloaded_) {
        // A plugin may keep itself loaded (a thread of its own holding a
        // reference): whether the module is still mapped is its business.
        const BOOL freed = ::FreeLibrary(module_);
        unloaded_ = true;
        PrintLine(L"unload" + Result(freed));
      }
      break;
  }
  window_.PumpPending();
}

std::vector<CommandRunner::Entry> CommandRunner::ListFolder(const std::wstring& folder,
                                                            DWORD& findError) {
  std::vector<char> path = AnsiBuffer(folder);
  api_.FsStatusInfo(path.data(), kStatusStart, kStatusOperationList);
  std::vector<Entry> entries;
  WIN32_FIND_DATAA data{};
  ::SetLastError(0);
  HANDLE find = api_.FsFindFirst(path.data(), &data);
  findError = find == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      Entry e{TextOf(data.cFileName, sizeof(data.cFileName)), data, {}, {}};
      if (e.name != L"." && e.name != L"..") entries.push_back(std::move(e));
      data = WIN32_FIND_DATAA{};
    } while (api_.FsFindNext(find, &data));
    api_.FsFindClose(find);
  }
  api_.FsStatusInfo(path.data(), kStatusEnd, kStatusOperationList);
  // The host asks for the columns after the listing, entry by entry.
  for (Entry& e : entries) {
    std::wstring full = ChildPath(folder, e.name);
    e.sign = FieldValue(full, 0);
    e.comment = FieldValue(full, 1);
  }
  return entries;
}

void CommandRunner::PrintTree(const std::wstring& folder, int depth) {
  DWORD error = 0;
  std::vector<Entry> entries = ListFolder(folder, error);
  if (entries.empty() && depth == 0) PrintLine(EmptyListing(error));
  for (const Entry& e : entries) {
    PrintLine(OneLine(ChildPath(folder, e.name)) + L"\t" +
              ListingColumns(e.data, e.sign, e.comment));
  }
  for (const Entry& e : entries) {
    if ((e.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    if (depth + 1 >= kMaxTreeDepth) {
      PrintLine(OneLine(ChildPath(folder, e.name)) + L"\t(too deep)");
      continue;
    }
    PrintTree(ChildPath(folder, e.name), depth + 1);
  }
}

// A string column's value; empty when the plugin gives none (a negative
// result) or a type the harness does not show.
std::wstring CommandRunner::FieldValue(const std::wstring& path, int field) {
  std::vector<char> name = AnsiBuffer(path);
  std::vector<char> value(kValueBuffer + 1, '\0');
  int type = api_.FsContentGetValue(name.data(), field, 0, value.data(), kValueBuffer, 0);
  if (type == kFieldTypeString || type == kFieldTypeFullText) {
    return TextOf(value.data(), kValueBuffer);
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

void CommandRunner::Exec(const std::wstring& path, const std::wstring& verb) {
  std::vector<char> name = AnsiBuffer(path);
  std::vector<char> verbText = AnsiBuffer(verb);
  std::wstring before = TextOf(name.data(), name.size() - 1);
  int result = api_.FsExecuteFile(window_.handle(), name.data(), verbText.data());
  WaitForUser();
  std::wstring line = L"exec " + path + L" " + verb + Result(result);
  // "Yourself" and "symlink" answers hand back a new path in the name buffer.
  std::wstring after = TextOf(name.data(), name.size() - 1);
  if (after != before) line += L" " + Quoted(after);
  PrintLine(line);
}

void CommandRunner::Get(const std::wstring& remote, const std::wstring& local, int flags) {
  std::vector<char> remoteName = AnsiBuffer(remote);
  std::vector<char> localName = AnsiBuffer(local);
  RemoteInfo info{};
  int result = api_.FsGetFile(remoteName.data(), localName.data(), flags, &info);
  PrintLine(L"get " + remote + L" " + local + L" " + std::to_wstring(flags) + Result(result));
}

void CommandRunner::Icon(const std::wstring& path) {
  std::vector<char> name = AnsiBuffer(path);
  HICON icon = nullptr;
  int result = api_.FsExtractCustomIcon(name.data(), kIconSmall, &icon);
  PrintLine(L"icon " + path + Result(result) + (icon != nullptr ? L" icon" : L" none"));
  // With "extracted" the plugin keeps the icon; "extracted, destroy" hands it over.
  if (result == kIconExtractedDestroy && icon != nullptr) ::DestroyIcon(icon);
}

void CommandRunner::Fields() {
  constexpr int kMaxFields = 1000;
  for (int index = 0; index < kMaxFields; ++index) {
    std::vector<char> name(kTextBuffer + 1, '\0');
    std::vector<char> units(kTextBuffer + 1, '\0');
    int type = api_.FsContentGetSupportedField(index, name.data(), units.data(), kTextBuffer);
    if (type == kFieldTypeNone) break;
    PrintLine(L"field " + std::to_wstring(index) + L"\t" + OneLine(TextOf(name.data(), kTextBuffer)) +
              L"\t" + OneLine(TextOf(units.data(), kTextBuffer)) + L"\t" + std::to_wstring(type));
  }
  std::vector<char> parts[4];
  for (auto& p : parts) p.assign(kValueBuffer + 1, '\0');
  BOOL result = api_.FsContentGetDefaultView(parts[0].data(), parts[1].data(), parts[2].data(),
                                             parts[3].data(), kValueBuffer);
  PrintLine(L"view" + Result(result));
  static const wchar_t* kNames[] = {L"contents", L"headers", L"widths", L"options"};
  for (int i = 0; i < 4; ++i) {
    PrintLine(std::wstring(L"view ") + kNames[i] + L"\t" +
              OneLine(TextOf(parts[i].data(), kValueBuffer)));
  }
}

void CommandRunner::Show(const std::wstring& folder) {
  DWORD error = 0;
  std::vector<Entry> entries = ListFolder(folder, error);
  if (entries.empty()) PrintLine(EmptyListing(error));
  std::vector<PanelRow> rows;
  std::vector<HICON> destroy;
  for (const Entry& e : entries) {
    PanelRow row;
    row.name = e.name;
    row.folder = (e.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    row.size = (static_cast<unsigned long long>(e.data.nFileSizeHigh) << 32) | e.data.nFileSizeLow;
    row.lastWrite = e.data.ftLastWriteTime;
    row.sign = e.sign;
    row.comment = e.comment;
    std::vector<char> name = AnsiBuffer(ChildPath(folder, e.name));
    HICON icon = nullptr;
    int result = api_.FsExtractCustomIcon(name.data(), kIconSmall, &icon);
    if (result == kIconExtracted || result == kIconExtractedDestroy) row.icon = icon;
    if (result == kIconExtractedDestroy && icon != nullptr) destroy.push_back(icon);
    PrintLine(OneLine(e.name) + L"\t" + ListingColumns(e.data, e.sign, e.comment));
    rows.push_back(std::move(row));
  }
  std::wstring capture;
  if (!captureDir_.empty()) capture = captureDir_ + L"\\panel-" + std::to_wstring(++shown_) + L".bmp";
  ShowPanel(L"Orvelle - " + folder, rows, capture);
  for (HICON icon : destroy) ::DestroyIcon(icon);
}

void CommandRunner::Root() {
  std::vector<char> name(kTextBuffer + 1, '\0');
  api_.FsGetDefRootName(name.data(), kTextBuffer);
  PrintLine(L"root -> " + OneLine(TextOf(name.data(), kTextBuffer)));
}

}  // namespace tchost
