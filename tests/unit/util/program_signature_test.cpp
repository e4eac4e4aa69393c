#include "util/pe_integrity.h"
#include "util/program_signature.h"

#include "support/temp_dir.h"
#include "support/test_paths.h"

#include "platform/fs.h"

#include <windows.h>
#include <imagehlp.h>
#include <wintrust.h>

#include <gtest/gtest.h>

#include <cstring>

namespace orvelle {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// The programs the build signs and damages (make_signature_fixtures.sh).
std::wstring Fixture(const wchar_t* name) {
  return test::BinaryDir() + L"\\fixtures\\signature\\" + name;
}

#define REQUIRE_FIXTURES()                                                       \
  if (!platform::FileExists(Fixture(L"signed.exe")))                             \
  GTEST_SKIP() << "no signed test programs (osslsigncode, openssl or python3 missing)"

uint32_t SystemChecksum(std::string bytes) {
  DWORD stored = 0, computed = 0;
  if (CheckSumMappedFile(bytes.data(), static_cast<DWORD>(bytes.size()), &stored, &computed) ==
      nullptr) {
    return 0xffffffff;
  }
  return computed;
}

// The verdict of every kind of program file: signed and intact (also with
// the untrusted root of the test certificate and another digest algorithm),
// changed after signing, its signature removed well or badly, unsigned with
// a right, a wrong or no checksum.
TEST(ProgramSignature, FixturesByKind) {
  REQUIRE_FIXTURES();
  struct Case {
    const wchar_t* file;
    SignatureState state;
    bool signer;          // the signer's name is read
    bool checksumMatches;
  } cases[] = {
      {L"signed.exe", SignatureState::Intact, true, true},
      {L"signed-sha1.exe", SignatureState::Intact, true, true},
      {L"altered.exe", SignatureState::Broken, true, false},
      {L"appended.exe", SignatureState::Broken, true, false},
      {L"stripped.exe", SignatureState::Unsigned, false, true},
      {L"cut.exe", SignatureState::Unsigned, false, false},
      {L"unsigned.exe", SignatureState::Unsigned, false, true},
      {L"badsum.exe", SignatureState::Unsigned, false, false},
  };
  for (const Case& c : cases) {
    const ProgramSignature s = CheckProgramSignature(Fixture(c.file));
    EXPECT_EQ(s.state, c.state) << testing::PrintToString(std::wstring(c.file));
    EXPECT_EQ(s.signer, c.signer ? L"Orvelle Test Signer" : L"")
        << testing::PrintToString(std::wstring(c.file));
    EXPECT_EQ(s.ChecksumMatches(), c.checksumMatches) << testing::PrintToString(std::wstring(c.file));
    EXPECT_TRUE(s.HasChecksum());
  }
  const ProgramSignature none = CheckProgramSignature(Fixture(L"nosum.exe"));
  EXPECT_EQ(none.state, SignatureState::Unsigned);
  EXPECT_FALSE(none.HasChecksum());
}

// A byte changed anywhere the digest covers breaks the signature, a change
// of the checksum field (which it leaves out) does not; a damaged signature
// itself or a table that points past the file break it too.
TEST(ProgramSignature, ChangesAfterSigning) {
  REQUIRE_FIXTURES();
  const std::string signedBytes = ReadBytes(Fixture(L"signed.exe"));
  const PeIntegrityLayout layout = *ReadPeIntegrityLayout(signedBytes);
  struct Case {
    const char* what;
    size_t offset;
    SignatureState state;
  } cases[] = {
      {"DOS header", 2, SignatureState::Broken},
      {"checksum field", layout.checksumOffset, SignatureState::Intact},
      {"last byte before the signature", layout.certificateOffset - 1, SignatureState::Broken},
      {"signature value", signedBytes.size() - 40, SignatureState::Broken},
      {"certificate table size", layout.securityEntryOffset + 4, SignatureState::Broken},
  };
  test::TempDir temp;
  for (const Case& c : cases) {
    std::string bytes = signedBytes;
    bytes[c.offset] = static_cast<char>(bytes[c.offset] ^ 0x20);
    const std::wstring path = (temp / L"changed.exe");
    WriteBytes(path, bytes);
    EXPECT_EQ(CheckProgramSignature(path).state, c.state) << c.what;
  }
}

TEST(ProgramSignature, FilesThatAreNoPrograms) {
  test::TempDir temp;
  WriteBytes((temp / L"text.exe"), "MZ but nothing else");
  WriteBytes((temp / L"empty.exe"), "");
  EXPECT_EQ(CheckProgramSignature((temp / L"text.exe")).state, SignatureState::NotProgram);
  EXPECT_EQ(CheckProgramSignature((temp / L"empty.exe")).state, SignatureState::NotProgram);
  EXPECT_EQ(CheckProgramSignature((temp / L"missing.exe")).state, SignatureState::Unreadable);
  EXPECT_EQ(CheckProgramSignature(L"").state, SignatureState::Unreadable);
}

// The checksum is the one the system's image functions compute, for even
// and odd lengths, signed and unsigned files, and the test program itself.
TEST(PeChecksum, AgreesWithTheSystem) {
  std::vector<std::wstring> files = {test::BuiltFile(L"orvelle_tests.exe")};
  for (const wchar_t* f : {L"signed.exe", L"unsigned.exe", L"badsum.exe", L"appended.exe"}) {
    if (platform::FileExists(Fixture(f))) files.push_back(Fixture(f));
  }
  for (const std::wstring& file : files) {
    std::string bytes = ReadBytes(file);
    ASSERT_FALSE(bytes.empty()) << testing::PrintToString(file);
    for (const std::string& b : {bytes, bytes + "x", bytes + "xyz"}) {
      const std::optional<PeIntegrityLayout> layout = ReadPeIntegrityLayout(b);
      ASSERT_TRUE(layout);
      const uint32_t expected = SystemChecksum(b);
      EXPECT_EQ(ComputePeChecksum(b, layout->checksumOffset), expected)
          << testing::PrintToString(file) << " length " << b.size();
      // Read in pieces: cuts at odd offsets and inside the CheckSum field.
      const uint32_t field = layout->checksumOffset;
      for (size_t cut : {size_t{1}, size_t{field}, size_t{field} + 1, size_t{field} + 3, size_t{4097}}) {
        PeChecksum pieces(field);
        for (size_t at = 0; at < b.size(); at += cut) pieces.Add(std::string_view(b).substr(at, cut));
        EXPECT_EQ(pieces.Finish(), expected) << testing::PrintToString(file) << " cut " << cut;
      }
    }
  }
}

// A PE header of 0x200 bytes: "MZ", the PE header at 0x40, an optional
// header of the given magic and size with 16 directories.
std::string Header(uint16_t magic = 0x20b, uint16_t optionalSize = 240) {
  std::string b(0x200, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  b[0x3c] = 0x40;
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  std::memcpy(&b[0x40 + 20], &optionalSize, 2);
  std::memcpy(&b[0x58], &magic, 2);
  const uint32_t count = 16;
  std::memcpy(&b[0x58 + (magic == 0x10b ? 92 : 108)], &count, 4);
  return b;
}

void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }

TEST(PeIntegrityLayout, HeadersThatDoNotFit) {
  std::string pe32 = Header(0x10b, 224);
  const auto layout32 = ReadPeIntegrityLayout(pe32);
  ASSERT_TRUE(layout32);
  EXPECT_EQ(layout32->checksumOffset, 0x58u + 64);
  EXPECT_EQ(layout32->securityEntryOffset, 0x58u + 96 + 32);

  std::string fewDirectories = Header();
  Put32(fewDirectories, 0x58 + 108, 4);  // no security directory entry
  std::string shortOptional = Header(0x20b, 112);
  std::string farHeader = Header();
  Put32(farHeader, 0x3c, 0xfffffff0);
  std::string rom = Header(0x107);
  struct Case {
    const char* what;
    std::string bytes;
    bool parses;
    uint32_t securityEntry;
  } cases[] = {
      {"no directory 4", fewDirectories, true, 0},
      {"optional header without directories", shortOptional, true, 0},
      {"PE header past the end", farHeader, false, 0},
      {"unknown magic", rom, false, 0},
      {"cut in the optional header", Header().substr(0, 0x80), false, 0},
      {"empty", "", false, 0},
  };
  for (const Case& c : cases) {
    const auto layout = ReadPeIntegrityLayout(c.bytes);
    EXPECT_EQ(layout.has_value(), c.parses) << c.what;
    if (layout) {
      EXPECT_EQ(layout->securityEntryOffset, c.securityEntry) << c.what;
    }
  }
}

// The certificate table is untrusted: it must lie in the file behind the
// headers, end the file, and hold a well-formed entry.
TEST(PeIntegrityLayout, CertificateTableBounds) {
  std::string base = Header();
  const uint32_t entry = 0x58 + 112 + 32;
  auto withTable = [&](uint32_t offset, uint32_t size, uint32_t entryLength, uint16_t type,
                       size_t fileSize) {
    std::string b = base;
    b.resize(fileSize, '\0');
    Put32(b, entry, offset);
    Put32(b, entry + 4, size);
    if (offset + 8 <= b.size()) {
      Put32(b, offset, entryLength);
      std::memcpy(&b[offset + 6], &type, 2);
    }
    return b;
  };
  struct Case {
    const char* what;
    std::string bytes;
    size_t blobSize;  // 0: none
  } cases[] = {
      {"well formed", withTable(0x200, 0x20, 0x20, 2, 0x220), 0x18},
      {"bytes behind the table (a change, found by the caller)", withTable(0x200, 0x20, 0x20, 2, 0x228), 0x18},
      {"table past the end", withTable(0x200, 0x40, 0x20, 2, 0x220), 0},
      {"table before the directory entry", withTable(0x60, 0x1c0, 0x1c0, 2, 0x220), 0},
      {"entry longer than the table", withTable(0x200, 0x20, 0x28, 2, 0x220), 0},
      {"entry length 0", withTable(0x200, 0x20, 0, 2, 0x220), 0},
      {"no PKCS#7 entry", withTable(0x200, 0x20, 0x20, 1, 0x220), 0},
      {"offset wraps around", withTable(0xfffffff0, 0x230, 0x20, 2, 0x220), 0},
  };
  for (const Case& c : cases) {
    const auto layout = ReadPeIntegrityLayout(c.bytes);
    ASSERT_TRUE(layout) << c.what;
    const auto blob = AuthenticodeBlob(c.bytes, *layout);
    EXPECT_EQ(blob ? blob->size() : 0, c.blobSize) << c.what;
  }
}

TEST(PeIntegrityLayout, DigestRangesLeaveOutChecksumEntryAndTable) {
  PeIntegrityLayout l;
  l.checksumOffset = 0xd8;
  l.securityEntryOffset = 0x128;
  l.certificateOffset = 0x1000;
  l.certificateSize = 0x200;
  using Ranges = std::vector<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(AuthenticodeRanges(0x1200, l), (Ranges{{0, 0xd8}, {0xdc, 0x4c}, {0x130, 0xed0}}));
  l.certificateOffset = l.certificateSize = 0;
  EXPECT_EQ(AuthenticodeRanges(0x1200, l), (Ranges{{0, 0xd8}, {0xdc, 0x4c}, {0x130, 0x10d0}}));
}

TEST(IndirectDataDigest, ParsesBothFormsAndRejectsDamage) {
  // SEQUENCE { SEQUENCE { OID 1.3.6.1.4.1.311.2.1.15, ... },
  //            SEQUENCE { SEQUENCE { OID sha1, NULL }, OCTET STRING (4 bytes) } }
  const std::string data("\x30\x0c\x06\x0a\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x0f", 14);
  const std::string digestInfo("\x30\x0f\x30\x07\x06\x05\x2b\x0e\x03\x02\x1a\x04\x04\xde\xad\xbe\xef",
                               17);
  const std::string contents = data + digestInfo;
  const std::string whole = std::string("\x30", 1) + static_cast<char>(contents.size()) + contents;
  const std::string longForm = std::string("\x30\x81", 2) + static_cast<char>(contents.size()) + contents;
  for (const std::string& form : {whole, contents, longForm}) {
    const std::optional<SignedDigest> d = ParseIndirectDataDigest(form);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->algorithm, digest_oid::kSha1);
    EXPECT_EQ(d->digest, std::string("\xde\xad\xbe\xef"));
  }
  EXPECT_FALSE(ParseIndirectDataDigest(whole.substr(0, whole.size() - 1)));
  EXPECT_FALSE(ParseIndirectDataDigest(data));
  EXPECT_FALSE(ParseIndirectDataDigest(std::string("\x30\x84\xff\xff\xff\xff", 6)));
  EXPECT_FALSE(ParseIndirectDataDigest(""));
}

TEST(ClassifyTrustResult, ChainProblemsLeaveTheSignatureIntact) {
  struct Case {
    LONG result;
    SignatureState state;
  } cases[] = {
      {0, SignatureState::Intact},
      {CERT_E_UNTRUSTEDROOT, SignatureState::Intact},
      {CERT_E_EXPIRED, SignatureState::Intact},
      {TRUST_E_EXPLICIT_DISTRUST, SignatureState::Intact},
      {TRUST_E_BAD_DIGEST, SignatureState::Broken},
      {TRUST_E_NOSIGNATURE, SignatureState::Broken},
      {TRUST_E_CERT_SIGNATURE, SignatureState::Broken},
      {TRUST_E_PROVIDER_UNKNOWN, SignatureState::Unchecked},
      {static_cast<LONG>(E_OUTOFMEMORY), SignatureState::Unchecked},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyTrustResult(c.result), c.state) << std::hex << c.result;
}

}  // namespace
}  // namespace orvelle
