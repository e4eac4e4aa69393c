// The verdict on two files: which exists, whether the bytes are equal, which
// version or date is newer.
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "util/date_time.h"

#include <cstring>
#include <vector>

namespace orvelle {

namespace {

constexpr size_t kBlock = 64 * 1024;

// Reads until the buffer is full or the file ends; the count read, or -1 when
// reading fails.
long long ReadFull(HANDLE file, unsigned char* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    DWORD read = 0;
    if (!::ReadFile(file, buffer + total, static_cast<DWORD>(size - total), &read, nullptr)) {
      return -1;
    }
    if (read == 0) break;
    total += read;
  }
  return static_cast<long long>(total);
}

platform::unique_hfile OpenForCompare(const std::wstring& fileName) {
  // Write access is denied to others while the bytes are compared.
  return platform::unique_hfile(::CreateFileW(platform::LongPathForm(fileName).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

FileFacts FactsOf(const std::wstring& fileName) {
  FileFacts facts;
  auto entry = platform::GetFileEntry(fileName);
  if (!entry || entry->IsDirectory()) return facts;
  facts.exists = true;
  facts.size = entry->size;
  facts.modified = FileTimeToLocalDateTime(entry->lastWrite);
  return facts;
}

}  // namespace

bool SameFileContent(const std::wstring& fileA, const std::wstring& fileB) {
  platform::unique_hfile a = OpenForCompare(fileA);
  platform::unique_hfile b = OpenForCompare(fileB);
  if (!a || !b) return false;
  std::vector<unsigned char> bufferA(kBlock), bufferB(kBlock);
  for (;;) {
    long long readA = ReadFull(a.get(), bufferA.data(), kBlock);
    long long readB = ReadFull(b.get(), bufferB.data(), kBlock);
    if (readA < 0 || readB < 0 || readA != readB) return false;
    if (readA == 0) return true;
    if (std::memcmp(bufferA.data(), bufferB.data(), static_cast<size_t>(readA)) != 0) return false;
  }
}

FileVerdict DecideFiles(const FileFacts& a, const FileFacts& b,
                        const std::function<bool()>& sameContent,
                        const std::function<FileVerdict()>& compareVersions) {
  FileVerdict v;
  v.sign = L"<>";
  if (!a.exists || !b.exists) {
    v.sign = a.exists ? L"*" : b.exists ? L"!" : L"";
    return v;
  }
  if (a.size == b.size) {
    v.kind = 2;
    v.kindText = L"MD5";
    if (sameContent()) {
      v.sign = L"=";
      return v;
    }
  } else {
    v.kind = 1;
  }

  FileVerdict versions = compareVersions();
  if (versions.result) return versions;

  if (a.modified == b.modified) {
    v.sign = L"<>";
    if (v.detailA == v.detailB) {
      v.detailA = L"MD5";
      v.detailB.clear();
    }
    v.result = false;
    return v;
  }
  v.kind = 7;
  v.sign = a.modified < b.modified ? L"<" : L">";
  v.kindText = L"Last Modif. Date";
  std::wstring textA = FormatDateTime(a.modified);
  std::wstring textB = FormatDateTime(b.modified);
  // "dd.mm.yyyy hh:mm:ss": the dates when they differ, else the times.
  if (textA.compare(0, 10, textB, 0, 10) != 0) {
    v.detailA = textA.substr(0, 10);
    v.detailB = textB.substr(0, 10);
  } else {
    v.detailA = textA.substr(11);
    v.detailB = textB.substr(11);
  }
  return v;
}

FileVerdict CompareFileVersions(const std::wstring& fileA, const std::wstring& fileB) {
  return CompareVersionRecords(ReadVersionInfo(fileA), ReadVersionInfo(fileB));
}

FileVerdict CompareFiles(const std::wstring& fileA, const std::wstring& fileB) {
  return DecideFiles(
      FactsOf(fileA), FactsOf(fileB), [&] { return SameFileContent(fileA, fileB); },
      [&] { return CompareFileVersions(fileA, fileB); });
}

}  // namespace orvelle
