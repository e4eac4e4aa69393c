#include "util/digest.h"

#include "platform/handle.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle {
namespace {

std::wstring Md5Of(std::string_view text) {
  Md5 md5;
  md5.Update(text.data(), text.size());
  return md5.HexDigest();
}

TEST(Digest, Md5MatchesRfc1321TestSuite) {
  struct Case { const char* text; const wchar_t* digest; };
  const Case cases[] = {
      {"", L"D41D8CD98F00B204E9800998ECF8427E"},
      {"a", L"0CC175B9C0F1B6A831C399E269772661"},
      {"abc", L"900150983CD24FB0D6963F7D28E17F72"},
      {"message digest", L"F96B697D7CB7938D525A2F31AAF161D0"},
      {"abcdefghijklmnopqrstuvwxyz", L"C3FCD3D76192E4007DFB496CCA67E13B"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       L"D174AB98D277D9F5A5611C2C9F419D9F"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"57EDF4A22BE3C955AC49DA2E2107B67A"},
  };
  for (const Case& c : cases) EXPECT_EQ(Md5Of(c.text), c.digest) << c.text;
}

TEST(Digest, Md5GivesTheSameDigestWhateverTheChunking) {
  // Lengths around the 56- and 64-byte padding boundaries, fed in odd pieces.
  for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>(i * 7 + 3);
    Md5 pieces;
    for (size_t pos = 0; pos < length; pos += 13) {
      pieces.Update(text.data() + pos, std::min<size_t>(13, length - pos));
    }
    EXPECT_EQ(pieces.HexDigest(), Md5Of(text)) << length;
  }
}

TEST(Digest, Crc32MatchesKnownValuesAndChains) {
  EXPECT_EQ(Crc32("", 0), 0u);
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(Crc32(fox.data(), fox.size()), 0x414FA339u);
  EXPECT_EQ(Crc32(fox.data() + 10, fox.size() - 10, Crc32(fox.data(), 10)), 0x414FA339u);
}

TEST(Digest, FileMd5DigestsTheWholeFileOrGivesEmpty) {
  test::TempDir dir;
  std::string big(200000, 'x');  // several read blocks
  big[150000] = 'y';
  test::WriteBytes(dir / L"big.bin", big);
  test::WriteBytes(dir / L"empty.bin", "");
  EXPECT_EQ(FileMD5(dir / L"big.bin"), Md5Of(big));
  EXPECT_EQ(FileMD5(dir / L"empty.bin"), L"D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(FileMD5(dir / L"missing.bin"), L"");
  EXPECT_EQ(FileMD5(dir.Path()), L"");  // a folder
}

TEST(Digest, FileMd5ReadsAFileOthersOnlyRead) {
  test::TempDir dir;
  std::wstring path = dir / L"shared.txt";
  test::WriteBytes(path, "abc");
  platform::unique_hfile reader(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  EXPECT_EQ(FileMD5(path), L"900150983CD24FB0D6963F7D28E17F72");
  // A writer that shares nothing keeps the digest out.
  reader.reset();
  platform::unique_hfile writer(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_EQ(FileMD5(path), L"");
}

}  // namespace
}  // namespace orvelle
