// What every step of the comparison works with: the tree it appends to, the
// two installation models, the progress display, the shared icons, and the
// indexes of the folders it has made.
#pragma once

#include "tree/icon_set.h"
#include "tree/tree.h"
#include "tc/progress.h"
#include "util/task_pool.h"

#include <cstdint>
#include <set>
#include <string>

namespace orvelle {

class TTC;

// Tree indexes of the folders the comparison makes (-1: not made). The add
// and delete operations find their target folders through them.
struct FolderIndexes {
  int MainUnit = -1, Files = -1, Commands = -1, Icons = -1, IconSource = -1, WcmIcons = -1;
  int Plugins = -1, Wfx = -1, Wcx = -1, Wlx = -1, Wdx = -1;
  int Applications = -1, NonExecutable = -1, PackageExclude = -1, PackageInclude = -1;
};

struct CompareContext {
  VirtualTree& Tree;
  const TTC& My;
  const TTC& New;
  ProgressState& Progress;
  const SharedIcons& Icons;
  std::wstring Inst;     // the installation folder's name
  int InstIndex = -1;    // its tree index
  FolderIndexes Folders;
  // The threads that read files and folders ahead of the tree being filled;
  // null: all reading happens on this thread, when it is needed.
  TaskPool* Reads = nullptr;
  // The key of the next reading queued from this thread: the steps queue
  // their reading in the order they fill the tree.
  uint32_t NextReadKey = 0;

  // Every step stops when the user cancelled or the tree is full; the
  // reading ahead stops with it.
  bool Stopped() const;
  TaskPool& Pool() const;
  PoolTask::Key NextKey() { return {NextReadKey++}; }
  // "\" + Inst + "\"
  std::wstring InstPath() const { return L"\\" + Inst + L"\\"; }
};

// The distinct signs of a folder's entries, in a fixed (ordinal) order;
// concatenated they make the folder's Status.
class SignSummary {
 public:
  void Add(const std::wstring& sign) { signs_.insert(sign); }
  void Add(const SignSummary& other) { signs_.insert(other.signs_.begin(), other.signs_.end()); }
  std::wstring Text() const;
  bool Empty() const { return signs_.empty(); }

 private:
  std::set<std::wstring> signs_;
};

// A group folder's Status: the distinct characters of its direct children's
// Status texts, sorted and concatenated.
std::wstring GroupSummary(const VirtualTree& tree, const std::wstring& folderPath);

}  // namespace orvelle
