// The verdict on two files: which exists, whether the bytes are equal, which
// version or date is newer.
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "util/date_time.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace orvelle {

namespace {

// The blocks live on the stack: a large block taken from the heap for each
// pair is given back to the system each time, and under Wine every such
// release stops all the other threads of the process for a moment (their
// view of memory is flushed), which with worker threads costs more than the
// reading. Most files fit in one block; one more read finds the end.
constexpr size_t kBlock = 32 * 1024;

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

struct ContentCheck {
  bool same = false;
  // False when the first bytes of both files were read and neither can
  // hold a version record.
  bool versionsPossible = true;
};

// The first bytes of a file of which `read` were read into buffer.
std::string_view FirstBytes(const unsigned char* buffer, long long read) {
  return std::string_view(reinterpret_cast<const char*>(buffer),
                          static_cast<size_t>(std::min(read, 4LL)));
}

ContentCheck CheckContent(const std::wstring& fileA, const std::wstring& fileB,
                          const std::atomic<bool>* stop) {
  ContentCheck check;
  platform::unique_hfile a = OpenForCompare(fileA);
  platform::unique_hfile b = OpenForCompare(fileB);
  if (!a || !b) return check;
  // No size is asked for: under Wine that costs a call to the server per
  // file, as much as the reading. A block that comes back short on both
  // sides is the end of both.
  unsigned char bufferA[kBlock];
  unsigned char bufferB[kBlock];
  for (bool first = true;; first = false) {
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) return check;
    const long long readA = ReadFull(a.get(), bufferA, kBlock);
    const long long readB = ReadFull(b.get(), bufferB, kBlock);
    if (readA < 0 || readB < 0) return check;
    const size_t n = static_cast<size_t>(std::min(readA, readB));
    if (first) {
      check.versionsPossible = MayHoldVersionRecord(FirstBytes(bufferA, readA)) ||
                               MayHoldVersionRecord(FirstBytes(bufferB, readB));
    }
    if (readA != readB || std::memcmp(bufferA, bufferB, n) != 0) return check;
    if (n < kBlock) break;
  }
  check.same = true;
  return check;
}

}  // namespace

bool SameFileContent(const std::wstring& fileA, const std::wstring& fileB,
                     const std::atomic<bool>* stop) {
  return CheckContent(fileA, fileB, stop).same;
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

FileVerdict CompareFilesWithFacts(const std::wstring& fileA, const FileFacts& a,
                                  const std::wstring& fileB, const FileFacts& b,
                                  const std::atomic<bool>* stop) {
  bool versionsPossible = true;
  return DecideFiles(
      a, b,
      [&] {
        ContentCheck check = CheckContent(fileA, fileB, stop);
        versionsPossible = check.versionsPossible;
        return check.same;
      },
      [&] {
        // The bytes read already tell that neither file has a record: under
        // Wine, opening both again costs as much as the comparison itself.
        return versionsPossible ? CompareFileVersions(fileA, fileB)
                                : CompareVersionRecords(std::nullopt, std::nullopt);
      });
}

FileVerdict CompareFiles(const std::wstring& fileA, const std::wstring& fileB,
                         const std::atomic<bool>* stop) {
  return CompareFilesWithFacts(fileA, FactsOf(fileA), fileB, FactsOf(fileB), stop);
}

}  // namespace orvelle
