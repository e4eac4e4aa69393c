// A whole folder tree as data: every file and folder below a root, by path
// relative to it, with the bytes of each file. Two snapshots compare equal
// only when the trees hold the same names (in the same letter case) and the
// same bytes: the proof that a change and its undo leave an installation as
// it was.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace orvelle::test {

struct TreeSnapshot {
  // Relative path ("plugins\wfx\ftp\ftp.wfx") -> bytes; folders end with "\"
  // and map to an empty string.
  std::map<std::wstring, std::string> entries;

  bool operator==(const TreeSnapshot& other) const { return entries == other.entries; }
};

// Snapshots root; the relative paths in `skip` (folders or files, any case)
// are left out with everything below them.
TreeSnapshot SnapshotTree(const std::wstring& root, const std::vector<std::wstring>& skip = {});

// The paths that differ between two snapshots, one per line with what
// happened ("added", "removed", "changed"); empty when they are equal.
std::wstring DescribeDifferences(const TreeSnapshot& before, const TreeSnapshot& after);

}  // namespace orvelle::test
