// The comparison tree: the whole content of the plugin's virtual file system,
// one flat table of entries, each knowing its folder (Path) and its place in
// it (Order).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvelle {

struct TVirtualTreeItem {
  int32_t Order = -1;         // position in its folder; listing stops at the first gap
  int32_t ParentIndex = -2;   // folder entry holding it; -1 for root entries
  bool IsFolder = false;
  std::wstring Name;
  std::wstring Path;          // folder path with leading and trailing backslash; root "\"
  HICON Icon = nullptr;       // not owned: the icon set, a model or the icon cache owns it
  std::wstring Status;        // comparison sign(s)
  std::wstring Info;          // the "Comment" column
  bool HasFiles = false;
  bool IsMessage = false;
  std::wstring NewFile;
  std::wstring MyFile;
  bool ContentFolder = false;
  uint32_t SizeHigh = 0;
  uint32_t SizeLow = 0;
  uint32_t Attributes = 0;
  bool CommandEntry = false;
  std::wstring TextStatus;
  std::wstring TextTitle;
  std::wstring TextDescription;
  std::wstring NewText;
  std::wstring MyText;
  uint8_t Action = 0;         // 0 none, 1 delete, 2 add, 3 update, 4 add all, 5 update all
  uint8_t ActionKind = 0;
  std::wstring ActionText;
  int32_t ActionIndex = -1;
  bool Done = false;
  bool IsAbout = false;
  bool IsBackupEntry = false;
  bool RestoreDeleted = false;
  bool RestoreInstalled = false;
  bool RestoreSettings = false;

  std::wstring FullPath() const { return Path + Name; }
  // The path of the folder this entry opens: Path + Name + "\".
  std::wstring FolderPath() const { return Path + Name + L"\\"; }
};

// The table. Entries are appended and never move (references stay valid).
// Name, Path and Order are indexed: once an entry is appended, change them
// only through Rename or Replace.
class VirtualTree {
 public:
  static constexpr int kCapacity = 65536;

  int Count() const { return static_cast<int>(items_.size()); }
  TVirtualTreeItem& operator[](int index) { return items_[static_cast<size_t>(index)]; }
  const TVirtualTreeItem& operator[](int index) const { return items_[static_cast<size_t>(index)]; }

  // Appends and returns the new index; -1 when the table is full, which
  // Full() then reports until the next Clear. A name its folder holds
  // already (in any letter case, as the host compares names) is made
  // unique first: "name (2)", "name (3)"..., so that every entry has a path
  // of its own and the entry a user opens is the one acted on. Read a new
  // folder's path from the tree after appending it.
  //
  // Appends and returns the new index; -1 when the table is full, which
  // Full() then reports until the next Clear. A slot given up with Release is
  // filled first (the lowest one), so entries that are made anew at every
  // listing of a folder do not use up the table.
  int Append(TVirtualTreeItem item);
  // Empties a slot (no folder lists it, no path finds it) for the next Append.
  void Release(int index);
  // Appends a message about the build even when the table is full: a few
  // slots past the capacity are kept for them, so that a full tree can still
  // say so. -1 when those are used up too.
  int AppendNotice(TVirtualTreeItem item);
  static constexpr int kNoticeSlots = 16;
  bool Full() const { return full_; }

  void Clear();

  // Index of the entry whose Path + Name equals fullPath (one trailing
  // backslash ignored); -1 when none. Where a path was ever held twice (an
  // entry replaced in place by another), the one the listing shows: the
  // highest index, as FindListed takes.
  int FindTreeItem(std::wstring_view fullPath);

  // The entry the listing shows at position order of folderPath: the last
  // one appended with that Path and Order (the Backup folder's entries are
  // appended anew at each listing of it). -1 when none.
  int FindListed(std::wstring_view folderPath, int order) const;

  // The number of places taken in a folder: Order values with an entry.
  size_t CountIn(std::wstring_view folderPath) const;

  void Rename(int index, std::wstring name);
  void Replace(int index, TVirtualTreeItem item);

  int LastFoundIndex = 0;

 private:
  void Index(int index);
  void Unindex(int index);
  void MakeNameUnique(TVirtualTreeItem& item);

  std::deque<TVirtualTreeItem> items_;
  bool full_ = false;
  std::vector<int> released_;  // slots given up, kept sorted descending
  // Path + Name -> the indexes with that full path, ascending.
  std::unordered_map<std::wstring, std::vector<int>> byFullPath_;
  // Lower-cased Path + Name -> how many entries hold it.
  std::unordered_map<std::wstring, int> byLowerPath_;
  // Lower-cased Path + Name -> the next number to try for it, so that many
  // entries of one name do not test every number taken before.
  std::unordered_map<std::wstring, int> nextNumber_;
  // Path -> for each Order, the indexes with that Path and Order, ascending.
  std::unordered_map<std::wstring, std::vector<std::vector<int>>> byFolder_;
};

// Cuts a name so that Path + Name stays within what the host shows:
// when length(Path) + 13 + length(Name) > 256, Name becomes its first
// 241 - length(Path) characters followed by "..", where the last 9 of those
// are "~" and the CRC-32 of the whole name in hex: two long names that share
// their beginning stay two entries. At least one character of the name is
// kept, so a cut name is never "." or "..", which the host takes for folders
// of its own.
void ShortenEntryName(TVirtualTreeItem& item);

// Appends the "About..." entry (the next place in the root, version as Info).
int AddAboutEntry(VirtualTree& tree, HICON icon);

enum class MessageKind { Information = 0, Warning = 1, Error = 2 };
// Appends a message entry to folder, or reuses the folder's last one in place
// (keeping its Order and the table's count).
int AddMessageEntry(VirtualTree& tree, const std::wstring& folder, const std::wstring& text,
                    MessageKind kind, HICON icon);
// A message beside the folder's other ones, also in a full table: a new
// entry after the folder's last, or, when the folder holds a message of the
// same kind (and name), that one with this text added to its own.
int AddNoticeEntry(VirtualTree& tree, const std::wstring& folder, const std::wstring& text,
                   MessageKind kind, HICON icon);

}  // namespace orvelle
