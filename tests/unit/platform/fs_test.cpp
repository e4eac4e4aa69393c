#include "platform/fs.h"
#include "platform/strings.h"

#include "support/temp_dir.h"
#include "support/text_bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle {
namespace {

// The spelling kept for a batch looks each folder up once and gives what a
// look-up of its own gives, for paths that exist in another case, steps that
// do not exist, folders alone, a trailing backslash and a drive's root; asked
// again, it answers the same from what it kept.
TEST(PathSpelling, SpellsAsALookUpOfItsOwn) {
  test::TempDir dir;
  ASSERT_TRUE(platform::MakeDirectory(dir / L"Plugins"));
  ASSERT_TRUE(platform::MakeDirectory(dir / L"Plugins\\WFX"));
  test::WriteBytes(dir / L"Plugins\\WFX\\Ftp.WFX", "x");
  const std::wstring lower = platform::LowerCase(dir.Path());
  const std::wstring paths[] = {
      lower + L"\\plugins\\wfx\\ftp.wfx",
      lower + L"\\plugins\\wfx\\missing\\ftp.wfx",
      lower + L"\\plugins\\wfx",
      lower + L"\\plugins\\wfx\\",
      lower + L"\\PLUGINS\\wfx\\FTP.wfx",
      lower.substr(0, 3),
      L"relative\\path",
  };
  platform::PathSpelling spelling;
  for (int round = 0; round < 2; ++round) {
    for (const std::wstring& path : paths) {
      SCOPED_TRACE(path);
      EXPECT_EQ(spelling.OnDisk(path), platform::PathAsOnDisk(path));
    }
  }
  // The drive stays as given.
  const std::wstring spelt = platform::PathAsOnDisk(dir.Path()).substr(3);
  EXPECT_EQ(spelling.OnDisk(paths[0]), lower.substr(0, 3) + spelt + L"\\Plugins\\WFX\\Ftp.WFX");
}

}  // namespace
}  // namespace orvelle
