// Flushing a file to the disk waits for the disk. A batch that writes
// hundreds of small records of its own, each flushed before the next step,
// spends more time waiting for the disk than copying files. Within a
// FlushGroup, the files this thread writes inside the group's folder (a
// batch's folder of the backup store: WriteWholeFile, AppendLinesInPlace,
// SaveTextFile and AppendTextLines of a new file) are written at once but
// flushed later, all together and several at a time, so that the disk
// commits them in a few rounds instead of one each.
//
// Nothing that refers to them waits for that: before this thread writes or
// replaces any file outside the folder (a configuration file of the host)
// or replaces any file at all (SwapInReplacement), every file of the group
// is flushed first, and a failure there fails that write. So a configuration
// file never changes before the records that undo the change are on the
// disk. What a crashed process leaves behind is the same as without the
// group (the system holds every byte written); only a power cut before the
// flush may find a new file that nothing refers to yet (a copied plugin,
// whose files are not flushed one by one either) without its record.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class FlushGroup {
 public:
  // The group of this thread from now until its end, inside folder (without
  // a trailing backslash).
  explicit FlushGroup(std::wstring folder);
  FlushGroup(const FlushGroup&) = delete;
  FlushGroup& operator=(const FlushGroup&) = delete;
  // Flushes what is left; the enclosing group (if any) is this thread's again.
  ~FlushGroup();

  // This thread's group, null outside one.
  static FlushGroup* Current();

  // True for a path inside the group's folder.
  bool Holds(const std::wstring& path) const;
  // A file written inside the folder, to be flushed with the group.
  void Remember(const std::wstring& path);

  // Flushes every file remembered so far, several at a time. A file that is
  // gone meanwhile needs nothing; false when one that exists cannot be
  // flushed. Either way the files are forgotten.
  bool Flush();

 private:
  std::wstring prefix_;  // the folder in lower case, with a backslash
  std::vector<std::wstring> paths_;
  FlushGroup* outer_;
};

}  // namespace orvelle
