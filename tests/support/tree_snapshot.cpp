#include "support/tree_snapshot.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "support/temp_dir.h"

#include <algorithm>

namespace orvelle::test {

namespace {

// A stack of folders of its own: the trees under test may be nested deeper
// than the thread's stack would take.
void Collect(const std::wstring& root, const std::vector<std::wstring>& skip, TreeSnapshot& out) {
  std::vector<std::wstring> pending{L""};
  while (!pending.empty()) {
    const std::wstring relative = std::move(pending.back());
    pending.pop_back();
    for (const platform::FileEntry& entry : platform::EnumFiles(root + L"\\" + relative + L"*")) {
      const std::wstring path = relative + entry.name;
      if (std::any_of(skip.begin(), skip.end(),
                      [&](const std::wstring& s) { return platform::EqualsNoCase(s, path); })) {
        continue;
      }
      if (entry.IsDirectory()) {
        out.entries[path + L"\\"] = std::string();
        // A link is recorded, never entered: it may lead back up or anywhere.
        if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) pending.push_back(path + L"\\");
      } else {
        out.entries[path] = ReadBytes(root + L"\\" + path);
      }
    }
  }
}

}  // namespace

TreeSnapshot SnapshotTree(const std::wstring& root, const std::vector<std::wstring>& skip) {
  TreeSnapshot snapshot;
  Collect(root, skip, snapshot);
  return snapshot;
}

std::wstring DescribeDifferences(const TreeSnapshot& before, const TreeSnapshot& after) {
  std::wstring text;
  for (const auto& [path, bytes] : before.entries) {
    auto it = after.entries.find(path);
    if (it == after.entries.end()) {
      text += L"removed " + path + L"\n";
    } else if (it->second != bytes) {
      text += L"changed " + path + L"\n";
    }
  }
  for (const auto& [path, bytes] : after.entries) {
    if (!before.entries.count(path)) text += L"added " + path + L"\n";
  }
  return text;
}

}  // namespace orvelle::test
