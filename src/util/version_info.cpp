// Reading version records through the system's version functions.
#include "util/version_info.h"

#include "platform/handle.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace orvelle {

namespace {

// A string of one block of the record ("040904B0"), or nullopt when the
// record has no such string.
std::optional<std::wstring> QueryString(const std::vector<unsigned char>& record,
                                        const std::wstring& block, const wchar_t* name) {
  std::wstring path = L"\\StringFileInfo\\" + block + L"\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(record.data(), path.c_str(), &value, &length) || value == nullptr) {
    return std::nullopt;
  }
  // length counts characters and, for most writers, the terminating zero.
  const auto* text = static_cast<const wchar_t*>(value);
  size_t n = 0;
  while (n < length && text[n] != L'\0') ++n;
  return std::wstring(text, n);
}

// The string blocks to try: the record's first translation, then the common
// English code pages that records without a translation table use.
std::vector<std::wstring> CandidateBlocks(const std::vector<unsigned char>& record) {
  std::vector<std::wstring> blocks;
  void* value = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &value, &length) &&
      value != nullptr && length >= 4) {
    const auto* pair = static_cast<const WORD*>(value);
    wchar_t block[16];
    std::swprintf(block, 16, L"%04X%04X", pair[0], pair[1]);
    blocks.push_back(block);
  }
  for (const wchar_t* common : {L"040904B0", L"040904E4", L"04090000"}) {
    if (blocks.empty() || blocks.front() != common) blocks.push_back(common);
  }
  return blocks;
}

void ReadStrings(const std::vector<unsigned char>& record, TPJVersionInfo& info) {
  struct Field {
    const wchar_t* name;
    std::wstring TPJVersionInfo::*member;
  };
  static const Field kFields[] = {
      {L"CompanyName", &TPJVersionInfo::companyName},
      {L"FileDescription", &TPJVersionInfo::fileDescription},
      {L"FileVersion", &TPJVersionInfo::fileVersionText},
      {L"InternalName", &TPJVersionInfo::internalName},
      {L"LegalCopyright", &TPJVersionInfo::legalCopyright},
      {L"LegalTrademarks", &TPJVersionInfo::legalTrademarks},
      {L"OriginalFilename", &TPJVersionInfo::originalFilename},
      {L"ProductName", &TPJVersionInfo::productName},
      {L"ProductVersion", &TPJVersionInfo::productVersionText},
      {L"Comments", &TPJVersionInfo::comments},
      {L"PrivateBuild", &TPJVersionInfo::privateBuild},
      {L"SpecialBuild", &TPJVersionInfo::specialBuild},
  };
  // The strings all come from one block: the first candidate that holds any.
  for (const std::wstring& block : CandidateBlocks(record)) {
    bool found = false;
    for (const Field& field : kFields) {
      if (auto value = QueryString(record, block, field.name)) {
        info.*field.member = std::move(*value);
        found = true;
      }
    }
    if (found) return;
  }
}

// Only programs and libraries ("MZ") carry version resources; the system
// also reads them through LZ-compressed copies ("SZDD"). Asking it about any
// other file costs a load attempt (milliseconds under Wine, for every data
// file of a compared plugin directory) for a certain "none".
bool MayHoldVersionResource(const std::wstring& fileName) {
  platform::unique_hfile file(::CreateFileW(fileName.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return true;  // the system's own answer decides
  char head[4] = {};
  DWORD read = 0;
  if (!::ReadFile(file.get(), head, sizeof head, &read, nullptr)) return true;
  return (read >= 2 && head[0] == 'M' && head[1] == 'Z') ||
         (read == 4 && std::memcmp(head, "SZDD", 4) == 0);
}

}  // namespace

std::optional<TPJVersionInfo> ReadVersionInfo(const std::wstring& fileName) {
  if (!MayHoldVersionResource(fileName)) return std::nullopt;
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> record(size);
  if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, record.data())) return std::nullopt;

  TPJVersionInfo info;
  void* value = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(record.data(), L"\\", &value, &length) && value != nullptr &&
      length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature == 0xFEEF04BD) {
      info.fileVersion = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
      info.productVersion = {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                             HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
    }
  }
  ReadStrings(record, info);
  return info;
}

}  // namespace orvelle
