// Reading version records: from the bytes of PE files, through the system
// for anything older.
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/mapped_file.h"
#include "util/pe_resources.h"
#include "util/version_record.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace orvelle {

namespace {

constexpr WORD kVersionType = 16;  // RT_VERSION

// Only programs and libraries ("MZ") carry version resources; the system
// also reads them through LZ-compressed copies ("SZDD"). Asking it about any
// other file costs a load attempt (milliseconds under Wine, for every data
// file of a compared plugin directory) for a certain "none".
bool MayHoldVersionResource(const std::wstring& fileName) {
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(fileName).c_str(), GENERIC_READ,
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
  {
    // A PE file's record is read from its bytes: the system loads a cut file
    // and copies the record from past its end.
    std::optional<platform::MappedFile> file = platform::MappedFile::Open(fileName);
    if (file && PeResources::LooksLikePe(file->Bytes())) {
      std::optional<PeResources> pe = PeResources::Parse(file->Bytes());
      if (!pe) return std::nullopt;
      std::vector<ResourceName> names = pe->Names(kVersionType);
      if (names.empty()) return std::nullopt;
      std::optional<std::string_view> record = pe->Data(kVersionType, names.front());
      if (!record) return std::nullopt;
      return ParseVersionRecord(*record);
    }
  }
  // Older programs (and compressed copies) are left to the system.
  if (!MayHoldVersionResource(fileName)) return std::nullopt;
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> record(size);
  if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, record.data())) return std::nullopt;
  return ParseVersionRecord(
      std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
}

}  // namespace orvelle
