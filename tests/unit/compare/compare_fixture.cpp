#include "unit/compare/compare_fixture.h"

#include "platform/strings.h"

#include <gtest/gtest.h>

namespace orvelle::test {

const TVirtualTreeItem& CompareFixture::At(const std::wstring& path) {
  int index = tree_.FindTreeItem(path);
  EXPECT_GE(index, 0) << "no entry " << testing::PrintToString(path);
  static const TVirtualTreeItem kNone;
  return index < 0 ? kNone : tree_[index];
}

std::vector<std::wstring> CompareFixture::Listing(const std::wstring& folderPath) const {
  std::vector<std::wstring> out;
  for (int order = 0;; ++order) {
    int index = tree_.FindListed(folderPath, order);
    if (index < 0) break;
    out.push_back(tree_[index].Name + L"|" + tree_[index].Status);
  }
  return out;
}

std::wstring CompareFixture::Lower(std::wstring s) { return platform::LowerCase(s); }

}  // namespace orvelle::test
