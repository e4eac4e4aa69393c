// Reading version records: from the bytes of PE files, through the system
// for anything older.
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "util/pe_resources.h"
#include "util/version_record.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace orvelle {

namespace {

constexpr WORD kVersionType = 16;  // RT_VERSION

enum class FileHead { Unreadable, Program, Compressed, Other };

// The first bytes tell whether a file may hold a version record. Under
// Wine, mapping a file or asking the system about it costs several times
// more than reading four bytes, for every data file of a compared plugin
// directory whose content differs.
FileHead ReadHead(const std::wstring& fileName) {
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(fileName).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return FileHead::Unreadable;
  char head[4] = {};
  DWORD read = 0;
  if (!::ReadFile(file.get(), head, sizeof head, &read, nullptr)) return FileHead::Unreadable;
  const std::string_view bytes(head, read);
  if (!MayHoldVersionRecord(bytes)) return FileHead::Other;
  return bytes.starts_with("MZ") ? FileHead::Program : FileHead::Compressed;
}

}  // namespace

bool MayHoldVersionRecord(std::string_view firstBytes) {
  return firstBytes.starts_with("MZ") || firstBytes.substr(0, 4) == "SZDD";
}

std::optional<TPJVersionInfo> ReadVersionInfo(const std::wstring& fileName) {
  const FileHead head = ReadHead(fileName);
  if (head == FileHead::Other) return std::nullopt;
  if (head == FileHead::Program) {
    // A PE file's record is read from its bytes: the system loads a cut file
    // and copies the record from past its end.
    // Read, not mapped: see util/byte_source.h.
    std::unique_ptr<FileBytes> file = FileBytes::Open(fileName);
    std::optional<std::string_view> headers;
    if (file) {
      headers = file->At(0, static_cast<size_t>(
                                std::min<uint64_t>(file->Size(), PeResources::kHeadersLimit)));
      // A file that cannot be read now is not handed to the system, which
      // maps it.
      if (!headers) return std::nullopt;
    }
    if (headers && PeResources::LooksLikePe(*headers)) {
      std::optional<PeResources> pe = PeResources::Parse(*file);
      if (!pe) return std::nullopt;
      std::vector<ResourceName> names = pe->Names(kVersionType);
      if (names.empty()) return std::nullopt;
      std::optional<std::string_view> record = pe->Data(kVersionType, names.front());
      if (!record) return std::nullopt;
      return ParseVersionRecord(*record);
    }
  }
  // Older programs, compressed copies and files that could not be looked at
  // are left to the system.
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> record(size);
  if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, record.data())) return std::nullopt;
  return ParseVersionRecord(
      std::string_view(reinterpret_cast<const char*>(record.data()), record.size()));
}

}  // namespace orvelle
