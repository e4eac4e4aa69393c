// Line ends stay with their lines through edits and restores, in files that
// mix CR LF and LF.
#include "util/line_ends.h"

#include "backup/backup.h"
#include "backup/removal.h"
#include "backup/restore.h"
#include "support/temp_dir.h"
#include "tc/edit_plan.h"
#include "tc/line_removal.h"
#include "tree/tree.h"
#include "util/text_codec.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

// Edits the lines of a decoded text and encodes it again with the ends
// carried over.
std::string Edited(const std::string& bytes, void (*edit)(std::vector<std::wstring>&)) {
  TextDocument doc = DecodeText(bytes);
  const TextDocument before = doc;
  edit(doc.lines);
  CarryLineEnds(doc, before);
  return EncodeText(doc);
}

TEST(LineEnds, StayWithTheirLinesThroughEdits) {
  struct Case {
    const char* name;
    std::string before;
    void (*edit)(std::vector<std::wstring>&);
    std::string after;
  };
  const Case cases[] = {
      {"a line taken out: the ones behind it keep theirs",
       "[a]\r\nx=1\ny=2\r\nz=3\n",
       [](std::vector<std::wstring>& l) { l.erase(l.begin() + 1); },
       "[a]\r\ny=2\r\nz=3\n"},
      {"a line put in: the usual end (the first one), the others keep theirs",
       "[a]\r\nx=1\ny=2\r\n",
       [](std::vector<std::wstring>& l) { l.insert(l.begin() + 1, L"new=1"); },
       "[a]\r\nnew=1\r\nx=1\ny=2\r\n"},
      {"entries renumbered after one went: each takes the end of the line it replaces",
       "[l]\r\n0=a\n0_d=A\r\n1=b\n1_d=B\r\n2=c\r\n",
       [](std::vector<std::wstring>& l) {
         l = {L"[l]", L"0=b", L"0_d=B", L"1=c"};
       },
       "[l]\r\n0=b\n0_d=B\r\n1=c\r\n"},
      {"no line end at the end of the file stays so",
       "a\nb\r\nc",
       [](std::vector<std::wstring>& l) { l.erase(l.begin()); },
       "b\r\nc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Edited(c.before, c.edit), c.after);
  }
}

// A removal recorded in the store and put back: the file is back byte for
// byte, the removed line with its own line end.
TEST(LineEnds, ARemovalAndItsRestoreGiveTheFileBackByteForByte) {
  test::TempDir dir;
  const std::wstring file = dir / L"wincmd.ini";
  const std::string bytes =
      "[Configuration]\r\nx=1\n[FileSystemPlugins]\r\nA=c:\\a.wfx\nB=c:\\b.wfx\r\nC=c:\\c.wfx\n"
      "[ListerPlugins]\n0=c:\\x.wlx\r\n0_detect=X\n1=c:\\y.wlx\r\n1_detect=Y\n";
  test::WriteBytes(file, bytes);
  test::CreateDirectories(dir / L"plugin");
  VirtualTree tree;
  TBackup backup(dir / L"plugin", tree, {});

  EditPlan edits;
  TextDocument* doc = edits.Document(file);
  ASSERT_TRUE(doc);
  edits.AddRemoval(file, RemoveSectionLines(doc->lines, L"[filesystemplugins]",
                                            [](const std::wstring& l) { return l[0] == L'A'; }));
  edits.AddRemoval(file, RemoveNumberedEntries(doc->lines, L"[listerplugins]",
                                               EntryNumbering::Leading,
                                               [](const std::wstring& l) { return l[0] == L'0'; }));
  ASSERT_EQ(MoveIntoDeletedFolder(backup, edits, dir / L"a.wfx", true, {}),
            RemovalOutcome::Removed);
  EXPECT_EQ(test::ReadBytes(file),
            "[Configuration]\r\nx=1\n[FileSystemPlugins]\r\nB=c:\\b.wfx\r\nC=c:\\c.wfx\n"
            "[ListerPlugins]\n0=c:\\y.wlx\r\n0_detect=Y\n");

  EXPECT_EQ(RestoreDeletedFolder(backup.Dir, backup), RestoreFailure::None);
  EXPECT_EQ(test::ReadBytes(file), bytes);
}

}  // namespace
}  // namespace orvelle
