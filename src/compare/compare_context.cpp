#include "compare/compare_context.h"

namespace orvelle {

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
