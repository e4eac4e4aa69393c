// Edits of several of the host's text files, planned first and then applied
// as one change: either every file is replaced, or none stays changed.
//
// The editors work on the documents of the plan (each file is read once, in
// its own encoding), and register what they took out. Applying writes, for
// each file that lost lines, its record first (so that nothing is ever
// changed without the means to undo it) and then the file itself, through a
// temporary file swapped in by renaming. A failure puts the bytes of the
// files written so far back as they were read.
#pragma once

#include "tc/line_removal.h"
#include "util/text_codec.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace orvelle {

class EditPlan {
 public:
  // The file as planned so far, read on first use; null when it cannot be
  // read (a missing file included).
  TextDocument* Document(const std::wstring& file);

  // Registers groups taken out of the document of file.
  void AddRemoval(const std::wstring& file, std::vector<RemovedGroup> groups);

  // No file lost any line.
  bool Empty() const;
  // What each file lost, in the order the files were first changed.
  std::vector<FileRemoval> Removals() const;

  // record is called with each file's removal before the file is written;
  // false from it stops the change. True when every changed file was
  // replaced; otherwise the ones already replaced have their old bytes back.
  using RecordFn = std::function<bool(const FileRemoval&)>;
  bool Apply(const RecordFn& record);

 private:
  struct Edit {
    std::wstring file;
    bool readable = false;
    std::string original;  // the bytes as read
    TextDocument before;   // as read, decoded
    TextDocument document;
    FileRemoval removal;
  };
  size_t Find(const std::wstring& file);  // read on first use
  // Gives the edited lines their own line ends back, and the removed ones
  // theirs in the record.
  static void KeepLineEnds(Edit& edit);

  std::deque<Edit> edits_;
  std::vector<size_t> order_;  // edits that lost lines, first change first
};

// Writes bytes back in place of path (through a temporary file, never
// leaving path missing or half written). False when that fails.
bool PutBackBytes(const std::wstring& path, const std::string& bytes);

}  // namespace orvelle
