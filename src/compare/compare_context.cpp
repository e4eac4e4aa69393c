#include "compare/compare_context.h"

namespace orvelle {

bool CompareContext::Stopped() const {
  const bool stopped = Progress.Cancelled || Tree.Full();
  if (stopped && Reads != nullptr) Reads->Stop();
  return stopped;
}

TaskPool& CompareContext::Pool() const {
  // No worker: each reading runs here when its result is waited for.
  static TaskPool here(1);
  return Reads != nullptr ? *Reads : here;
}

std::wstring SignSummary::Text() const {
  std::wstring text;
  for (const std::wstring& s : signs_) text += s;
  return text;
}

std::wstring GroupSummary(const VirtualTree& tree, const std::wstring& folderPath) {
  std::set<wchar_t> chars;
  for (int i = 0; i < tree.Count(); ++i) {
    if (tree[i].Path == folderPath) chars.insert(tree[i].Status.begin(), tree[i].Status.end());
  }
  return std::wstring(chars.begin(), chars.end());
}

}  // namespace orvelle
