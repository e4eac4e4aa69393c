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

// A plugin that lists a folder inside itself would send the tree on forever.
constexpr int kMaxTreeDepth = 64;

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

bool IsDirectory(const FoundEntry& entry) {
  return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::wstring ChildPath(const std::wstring& folder, const std::wstring& name) {
  return folder == L"\\" ? L"\\" + name : folder + L"\\" + name;
}

std::wstring ListingColumns(const FoundEntry& entry, const std::wstring& sign,
                            const std::wstring& comment) {
  return std::wstring(IsDirectory(entry) ? L"d" : L"f") + L"\t" + std::to_wstring(entry.size) + L"\t" +
         std::to_wstring(entry.attributes) + L"\t" + FormatFileTime(entry.lastWrite) + L"\t" +
         OneLine(sign) + L"\t" + OneLine(comment);
}



void CommandRunner::Run(const Command& command) {
  const std::vector<std::wstring>& a = command.args;
  // The entry points are gone with the library.
  if (unloaded_ && command.kind != CommandKind::Pump && command.kind != CommandKind::Unload &&
      command.kind != CommandKind::Load) {
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
        PrintLine(OneLine(e.found.name) + L"\t" + ListingColumns(e.found, e.sign, e.comment));
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
      // A selection of several is bracketed by the status calls, as the
      // host brackets its delete of the selected files.
      const bool selection = a.size() > 1;
      const size_t slash = a[0].find_last_of(L'\\');
      const std::wstring folder =
          slash == std::wstring::npos || slash == 0 ? L"\\" : a[0].substr(0, slash);
      if (selection) calls_.StatusInfo(folder, kStatusStart, kStatusOperationDelete);
      for (const std::wstring& path : a) {
        PrintLine(L"delete " + path + Result(calls_.DeleteRemote(path)));
      }
      if (selection) calls_.StatusInfo(folder, kStatusEnd, kStatusOperationDelete);
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
      Unload();
      break;
    case CommandKind::Load:
      Load();
      break;
  }
  window_.PumpPending();
}

void CommandRunner::Unload() {
  if (unloaded_) return;
  // Where the copy lay, read before it goes.
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(plugin_.module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      reinterpret_cast<const BYTE*>(plugin_.module) + dos->e_lfanew);
  oldBase_ = plugin_.module;
  oldSize_ = nt->OptionalHeader.SizeOfImage;
  // A plugin may keep itself loaded (a thread of its own holding a
  // reference): whether the module is still mapped is its business.
  const BOOL freed = ::FreeLibrary(plugin_.module);
  unloaded_ = true;
  PrintLine(L"unload" + Result(freed));
}

void CommandRunner::Load() {
  if (!unloaded_) {
    PrintLine(L"load -> 0 (loaded)");
    return;
  }
  // The old copy's range stays taken (when it is free), as in a host whose
  // address space has moved on: the new copy lands at another address.
  if (oldBase_ != nullptr) ::VirtualAlloc(oldBase_, oldSize_, MEM_RESERVE, PAGE_NOACCESS);
  std::wstring error;
  if (!LoadPlugin(pluginPath_, plugin_, error)) {
    PrintLine(L"load -> 0 (" + error + L")");
    return;
  }
  unloaded_ = false;
  calls_.Init(1);
  PrintLine(std::wstring(L"load -> 1") +
            (plugin_.module == oldBase_ ? L" (same address)" : L" (another address)"));
}

std::vector<CommandRunner::Entry> CommandRunner::ListFolder(const std::wstring& folder,
                                                            DWORD& findError) {
  calls_.StatusInfo(folder, kStatusStart, kStatusOperationList);
  std::vector<Entry> entries;
  FoundEntry found;
  ::SetLastError(0);
  HANDLE find = calls_.FindFirst(folder, found);
  findError = find == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.name != L"." && found.name != L"..") entries.push_back(Entry{found, {}, {}});
      found = FoundEntry{};
    } while (calls_.FindNext(find, found));
    calls_.FindClose(find);
  }
  calls_.StatusInfo(folder, kStatusEnd, kStatusOperationList);
  // The host asks for the columns after the listing, entry by entry.
  for (Entry& e : entries) {
    std::wstring full = ChildPath(folder, e.found.name);
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
    PrintLine(OneLine(ChildPath(folder, e.found.name)) + L"\t" +
              ListingColumns(e.found, e.sign, e.comment));
  }
  for (const Entry& e : entries) {
    if (!IsDirectory(e.found)) continue;
    if (depth + 1 >= kMaxTreeDepth) {
      PrintLine(OneLine(ChildPath(folder, e.found.name)) + L"\t(too deep)");
      continue;
    }
    PrintTree(ChildPath(folder, e.found.name), depth + 1);
  }
}

// A string column's value; empty when the plugin gives none (a negative
// result).
std::wstring CommandRunner::FieldValue(const std::wstring& path, int field) {
  std::wstring text;
  calls_.ContentGetValue(path, field, text);
  return text;
}

void CommandRunner::Exec(const std::wstring& path, const std::wstring& verb) {
  std::wstring after;
  int result = calls_.ExecuteFile(window_.handle(), path, verb, after);
  WaitForUser();
  std::wstring line = L"exec " + path + L" " + verb + Result(result);
  // "Yourself" and "symlink" answers hand back a new path in the name buffer.
  if (!after.empty()) line += L" " + Quoted(after);
  PrintLine(line);
}

void CommandRunner::Get(const std::wstring& remote, const std::wstring& local, int flags) {
  int result = calls_.GetFile(remote, local, flags);
  PrintLine(L"get " + remote + L" " + local + L" " + std::to_wstring(flags) + Result(result));
}

void CommandRunner::Icon(const std::wstring& path) {
  HICON icon = nullptr;
  int result = calls_.ExtractCustomIcon(path, kIconSmall, &icon);
  PrintLine(L"icon " + path + Result(result) + (icon != nullptr ? L" icon" : L" none"));
  // With "extracted" the plugin keeps the icon; "extracted, destroy" hands it over.
  if (result == kIconExtractedDestroy && icon != nullptr) ::DestroyIcon(icon);
}

void CommandRunner::Fields() {
  constexpr int kMaxFields = 1000;
  for (int index = 0; index < kMaxFields; ++index) {
    std::wstring name, units;
    int type = calls_.ContentGetSupportedField(index, name, units);
    if (type == kFieldTypeNone) break;
    PrintLine(L"field " + std::to_wstring(index) + L"\t" + OneLine(name) + L"\t" +
              OneLine(units) + L"\t" + std::to_wstring(type));
  }
  std::wstring parts[4];
  BOOL result = calls_.ContentGetDefaultView(parts);
  PrintLine(L"view" + Result(result));
  static const wchar_t* kNames[] = {L"contents", L"headers", L"widths", L"options"};
  for (int i = 0; i < 4; ++i) {
    PrintLine(std::wstring(L"view ") + kNames[i] + L"\t" + OneLine(parts[i]));
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
    row.name = e.found.name;
    row.folder = IsDirectory(e.found);
    row.size = e.found.size;
    row.lastWrite = e.found.lastWrite;
    row.sign = e.sign;
    row.comment = e.comment;
    HICON icon = nullptr;
    int result = calls_.ExtractCustomIcon(ChildPath(folder, e.found.name), kIconSmall, &icon);
    if (result == kIconExtracted || result == kIconExtractedDestroy) row.icon = icon;
    if (result == kIconExtractedDestroy && icon != nullptr) destroy.push_back(icon);
    PrintLine(OneLine(e.found.name) + L"\t" + ListingColumns(e.found, e.sign, e.comment));
    rows.push_back(std::move(row));
  }
  std::wstring capture;
  if (!captureDir_.empty()) capture = captureDir_ + L"\\panel-" + std::to_wstring(++shown_) + L".bmp";
  ShowPanel(L"Orvelle - " + folder, rows, capture);
  for (HICON icon : destroy) ::DestroyIcon(icon);
}

void CommandRunner::Root() { PrintLine(L"root -> " + OneLine(calls_.GetDefRootName())); }

}  // namespace tchost
