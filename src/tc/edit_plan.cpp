#include "tc/edit_plan.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "util/line_ends.h"
#include "util/text_file.h"

#include <algorithm>

namespace orvelle {

size_t EditPlan::Find(const std::wstring& file) {
  for (size_t i = 0; i < edits_.size(); ++i) {
    if (platform::EqualsNoCase(edits_[i].file, file)) return i;
  }
  Edit& edit = edits_.emplace_back();
  // The file is replaced under this name: spelt as on disk, it keeps its case
  // (the model holds some paths lower-cased).
  edit.file = platform::PathAsOnDisk(file);
  edit.removal.File = edit.file;
  if (std::optional<std::string> bytes = ReadFileBytes(file)) {
    edit.readable = true;
    edit.original = std::move(*bytes);
    edit.before = DecodeText(edit.original);
    edit.document = edit.before;
  }
  return edits_.size() - 1;
}

TextDocument* EditPlan::Document(const std::wstring& file) {
  Edit& edit = edits_[Find(file)];
  return edit.readable ? &edit.document : nullptr;
}

void EditPlan::AddRemoval(const std::wstring& file, std::vector<RemovedGroup> groups) {
  if (groups.empty()) return;
  const size_t index = Find(file);
  Edit& edit = edits_[index];
  if (std::find(order_.begin(), order_.end(), index) == order_.end()) order_.push_back(index);
  for (RemovedGroup& group : groups) edit.removal.Groups.push_back(std::move(group));
}

void EditPlan::KeepLineEnds(Edit& edit) {
  std::vector<LineWithEnd> dropped;
  CarryLineEnds(edit.document, edit.before, {}, &dropped);
  // Each removed line is recorded with its own end when that is not the
  // file's usual one, so that it comes back as it was.
  for (RemovedGroup& group : edit.removal.Groups) {
    for (RemovedLine& line : group.Lines) {
      auto it = std::find_if(dropped.begin(), dropped.end(),
                             [&](const LineWithEnd& d) { return d.Text == line.Text; });
      if (it == dropped.end()) continue;
      if (!it->End.empty() && it->End != edit.before.lineEnd) line.End = it->End;
      dropped.erase(it);
    }
  }
}

bool EditPlan::Empty() const { return order_.empty(); }

std::vector<FileRemoval> EditPlan::Removals() const {
  std::vector<FileRemoval> out;
  for (size_t index : order_) out.push_back(edits_[index].removal);
  return out;
}

bool EditPlan::Apply(const RecordFn& record) {
  std::vector<const Edit*> written;
  for (size_t index : order_) {
    Edit& edit = edits_[index];
    KeepLineEnds(edit);
    if (!record(edit.removal) || !SaveTextFile(edit.file, edit.document)) {
      // Roll back: the files written so far get their old bytes, newest first.
      for (auto it = written.rbegin(); it != written.rend(); ++it) {
        PutBackBytes((*it)->file, (*it)->original);
      }
      return false;
    }
    written.push_back(&edit);
  }
  return true;
}

bool PutBackBytes(const std::wstring& path, const std::string& bytes) {
  const std::wstring temp = path + L"~";
  if (!WriteWholeFile(temp, bytes)) return false;
  if (!platform::PathExists(path)) return platform::MovePath(temp, path);
  return SwapInReplacement(path, temp);
}

}  // namespace orvelle
