#include "tree/tree.h"

#include "platform/strings.h"
#include "tree/vars_conts.h"
#include "util/digest.h"

#include <algorithm>
#include <cwchar>
#include <functional>

namespace orvelle {

namespace {
void InsertSorted(std::vector<int>& v, int index) {
  v.insert(std::upper_bound(v.begin(), v.end(), index), index);
}
void EraseValue(std::vector<int>& v, int index) {
  auto it = std::lower_bound(v.begin(), v.end(), index);
  if (it != v.end() && *it == index) v.erase(it);
}
}  // namespace

void VirtualTree::MakeNameUnique(TVirtualTreeItem& item) {
  if (item.Path.empty() && item.Name.empty()) return;
  auto taken = [this](const std::wstring& fullPath) {
    auto it = byLowerPath_.find(platform::LowerCase(fullPath));
    return it != byLowerPath_.end() && it->second > 0;
  };
  if (!taken(item.FullPath())) return;
  int& next = nextNumber_[platform::LowerCase(item.FullPath())];
  for (int n = std::max(next, 2); n < kCapacity + kNoticeSlots + 2; ++n) {
    std::wstring name = item.Name + L" (" + std::to_wstring(n) + L")";
    if (!taken(item.Path + name)) {
      item.Name = std::move(name);
      next = n + 1;
      return;
    }
  }
}

int VirtualTree::Append(TVirtualTreeItem item) {
  MakeNameUnique(item);
  if (!released_.empty()) {
    const int slot = released_.back();
    released_.pop_back();
    Replace(slot, std::move(item));
    return slot;
  }
  if (Count() >= kCapacity) {
    full_ = true;
    return -1;
  }
  items_.push_back(std::move(item));
  int index = Count() - 1;
  Index(index);
  return index;
}

void VirtualTree::Release(int index) {
  if (index < 0 || index >= Count()) return;
  if (std::find(released_.begin(), released_.end(), index) != released_.end()) return;
  Replace(index, TVirtualTreeItem{});
  released_.insert(std::upper_bound(released_.begin(), released_.end(), index, std::greater<int>()),
                   index);
}

size_t VirtualTree::CountIn(std::wstring_view folderPath) const {
  auto it = byFolder_.find(std::wstring(folderPath));
  if (it == byFolder_.end()) return 0;
  size_t count = 0;
  for (const std::vector<int>& atOrder : it->second) count += atOrder.empty() ? 0 : 1;
  return count;
}

int VirtualTree::AppendNotice(TVirtualTreeItem item) {
  if (Count() >= kCapacity + kNoticeSlots) return -1;
  items_.push_back(std::move(item));
  int index = Count() - 1;
  Index(index);
  return index;
}

void VirtualTree::Clear() {
  items_.clear();
  released_.clear();
  byFullPath_.clear();
  byLowerPath_.clear();
  nextNumber_.clear();
  byFolder_.clear();
  full_ = false;
  LastFoundIndex = 0;
}

void VirtualTree::Index(int index) {
  const TVirtualTreeItem& item = (*this)[index];
  // A released slot names nothing: no path may find it.
  if (item.Path.empty() && item.Name.empty()) return;
  InsertSorted(byFullPath_[item.FullPath()], index);
  ++byLowerPath_[platform::LowerCase(item.FullPath())];
  if (item.Order >= 0 && item.Order < kCapacity) {
    auto& orders = byFolder_[item.Path];
    if (orders.size() <= static_cast<size_t>(item.Order)) orders.resize(item.Order + 1);
    InsertSorted(orders[item.Order], index);
  }
}

void VirtualTree::Unindex(int index) {
  const TVirtualTreeItem& item = (*this)[index];
  if (auto it = byFullPath_.find(item.FullPath()); it != byFullPath_.end()) {
    const size_t before = it->second.size();
    EraseValue(it->second, index);
    if (it->second.size() != before) {
      if (auto lower = byLowerPath_.find(platform::LowerCase(item.FullPath()));
          lower != byLowerPath_.end() && --lower->second <= 0) {
        byLowerPath_.erase(lower);
      }
    }
  }
  if (item.Order >= 0) {
    if (auto it = byFolder_.find(item.Path);
        it != byFolder_.end() && static_cast<size_t>(item.Order) < it->second.size()) {
      EraseValue(it->second[item.Order], index);
    }
  }
}

int VirtualTree::FindTreeItem(std::wstring_view fullPath) {
  if (!fullPath.empty() && fullPath.back() == L'\\') fullPath.remove_suffix(1);
  auto it = byFullPath_.find(std::wstring(fullPath));
  if (it == byFullPath_.end() || it->second.empty()) return -1;
  LastFoundIndex = it->second.back();
  return LastFoundIndex;
}

int VirtualTree::FindListed(std::wstring_view folderPath, int order) const {
  if (order < 0) return -1;
  auto it = byFolder_.find(std::wstring(folderPath));
  if (it == byFolder_.end() || static_cast<size_t>(order) >= it->second.size()) return -1;
  const std::vector<int>& hits = it->second[order];
  return hits.empty() ? -1 : hits.back();
}

void VirtualTree::Rename(int index, std::wstring name) {
  Unindex(index);
  (*this)[index].Name = std::move(name);
  Index(index);
}

void VirtualTree::Replace(int index, TVirtualTreeItem item) {
  Unindex(index);
  (*this)[index] = std::move(item);
  Index(index);
}

void ShortenEntryName(TVirtualTreeItem& item) {
  const size_t pathLength = item.Path.size();
  if (pathLength + 13 + item.Name.size() <= 256) return;
  wchar_t tag[16];
  const uint32_t crc = Crc32(item.Name.data(), item.Name.size() * sizeof(wchar_t));
  std::swprintf(tag, 16, L"~%08X", static_cast<unsigned>(crc));
  const size_t tagLength = std::wcslen(tag);
  const size_t room = pathLength < 241 ? 241 - pathLength : 0;
  size_t keep = room > tagLength ? room - tagLength : 1;
  keep = std::min(keep, item.Name.size());
  // A surrogate pair is kept whole or not at all.
  if (keep > 1 && item.Name[keep - 1] >= 0xD800 && item.Name[keep - 1] <= 0xDBFF) --keep;
  item.Name = item.Name.substr(0, keep) + tag + L"..";
}

int AddAboutEntry(VirtualTree& tree, HICON icon) {
  TVirtualTreeItem item;
  // The first in the root, after whatever the build put elsewhere already
  // (the entries of the Backup folder, read when the settings are saved).
  item.Order = static_cast<int32_t>(tree.CountIn(L"\\"));
  item.ParentIndex = -1;
  item.IsAbout = true;
  item.Name = texts::kAbout;
  item.Path = L"\\";
  item.Info = texts::kPluginVersion;
  item.Icon = icon;
  return tree.Append(std::move(item));
}

int AddMessageEntry(VirtualTree& tree, const std::wstring& folder, const std::wstring& text,
                    MessageKind kind, HICON icon) {
  int inFolder = 0;
  int parent = 0;
  int reused = -1;
  for (int i = 0; i < tree.Count(); ++i) {
    const TVirtualTreeItem& e = tree[i];
    if (e.Path == folder) {
      ++inFolder;
      if (e.IsMessage) reused = i;
    }
    if (e.FolderPath() == folder) parent = i;
  }
  TVirtualTreeItem item;
  item.IsMessage = true;
  // A reused entry keeps its place; a new one goes after the folder's last.
  item.Order = reused >= 0 ? tree[reused].Order : inFolder;
  item.ParentIndex = folder == L"\\" ? -1 : parent;
  item.Path = folder;
  item.Info = text;
  item.Icon = icon;
  switch (kind) {
    case MessageKind::Information: item.Name = texts::kInformation; break;
    case MessageKind::Warning: item.Name = texts::kWarning; item.Status = L"<>"; break;
    case MessageKind::Error: item.Name = texts::kError; item.Status = L"<>"; break;
  }
  if (reused >= 0) {
    tree.Replace(reused, std::move(item));
    return reused;
  }
  return tree.Append(std::move(item));
}

int AddNoticeEntry(VirtualTree& tree, const std::wstring& folder, const std::wstring& text,
                   MessageKind kind, HICON icon) {
  const wchar_t* name = kind == MessageKind::Information ? texts::kInformation
                        : kind == MessageKind::Warning   ? texts::kWarning
                                                         : texts::kError;
  int inFolder = 0;
  int parent = 0;
  for (int i = 0; i < tree.Count(); ++i) {
    TVirtualTreeItem& e = tree[i];
    if (e.Path == folder) {
      if (e.IsMessage && e.Name == name && e.Order >= 0) {
        // Names stay unique in a folder: one entry tells all of its kind.
        if (e.Info.find(text) == std::wstring::npos) e.Info += L" " + text;
        return i;
      }
      ++inFolder;
    }
    if (e.FolderPath() == folder) parent = i;
  }
  TVirtualTreeItem item;
  item.IsMessage = true;
  item.Order = inFolder;
  item.ParentIndex = folder == L"\\" ? -1 : parent;
  item.Path = folder;
  item.Name = name;
  item.Info = text;
  item.Icon = icon;
  if (kind != MessageKind::Information) item.Status = L"<>";
  return tree.AppendNotice(std::move(item));
}

}  // namespace orvelle
