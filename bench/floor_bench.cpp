// The least work a comparison of two trees can do on this platform: list
// both trees, pair the names (without regard to case) and read every pair
// of equal size side by side up to the first difference. Nothing else: no
// version resources, no dates, no icons, no tree. Run under the same Wine as
// the plugin, on the same trees, it is what the plugin's comparison is
// measured against.
//   floor_bench NEW_ROOT MY_ROOT THREADS
// THREADS 0 takes the plugin's own count (ORVELLE_THREADS, else the
// processors). The listing and the reading are shared out over the threads
// folder by folder and pair by pair. Prints "threads N", "seconds S",
// "folders N", "files N" (both sides), "pairs N" (of equal size, read),
// "equal N" and "bytes N" (read, both sides).
#include "util/task_pool.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// On the stack: a heap block of this size would go back to the system after
// each pair, which with several threads costs more than the reading.
constexpr size_t kBlock = 64 * 1024;

struct Entry {
  std::wstring name;
  uint64_t size = 0;
  bool dir = false;
};

struct Counts {
  std::atomic<uint64_t> folders{0}, files{0}, pairs{0}, equal{0}, bytes{0};
};

std::vector<Entry> List(const std::wstring& dir) {
  std::vector<Entry> entries;
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((dir + L"*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) continue;
    entries.push_back({data.cFileName,
                       (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                       (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return ::CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, TRUE) == CSTR_LESS_THAN;
  });
  return entries;
}

bool ReadExactly(HANDLE file, unsigned char* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    DWORD read = 0;
    if (!::ReadFile(file, buffer + total, static_cast<DWORD>(size - total), &read, nullptr) ||
        read == 0) {
      return false;
    }
    total += read;
  }
  return true;
}

// Two files of the listed size, read side by side to the first difference.
void ReadPair(const std::wstring& a, const std::wstring& b, uint64_t size, Counts& counts) {
  HANDLE fa = ::CreateFileW(a.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  HANDLE fb = ::CreateFileW(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  bool equal = fa != INVALID_HANDLE_VALUE && fb != INVALID_HANDLE_VALUE;
  unsigned char bufferA[kBlock], bufferB[kBlock];
  for (uint64_t left = size; equal && left > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kBlock));
    equal = ReadExactly(fa, bufferA, n) && ReadExactly(fb, bufferB, n) &&
            std::memcmp(bufferA, bufferB, n) == 0;
    counts.bytes += 2 * n;
    left -= n;
  }
  if (fa != INVALID_HANDLE_VALUE) ::CloseHandle(fa);
  if (fb != INVALID_HANDLE_VALUE) ::CloseHandle(fb);
  ++counts.pairs;
  if (equal) ++counts.equal;
}

// A queue of jobs that the threads take until none is left and none runs.
class Jobs {
 public:
  using Job = std::function<void()>;

  void Add(Job job) {
    std::lock_guard<std::mutex> guard(lock_);
    queue_.push_back(std::move(job));
    wake_.notify_one();
  }

  void Work() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      wake_.wait(lock, [this] { return !queue_.empty() || running_ == 0; });
      if (queue_.empty()) {
        wake_.notify_all();
        return;
      }
      Job job = std::move(queue_.front());
      queue_.pop_front();
      ++running_;
      lock.unlock();
      job();
      lock.lock();
      --running_;
      if (queue_.empty() && running_ == 0) wake_.notify_all();
    }
  }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  std::deque<Job> queue_;
  int running_ = 0;
};

// One folder pair: both listed, files of equal size queued for reading,
// subfolders in both queued as folder pairs.
void CompareFolders(const std::wstring& a, const std::wstring& b, Jobs& jobs, Counts& counts) {
  std::vector<Entry> as = List(a);
  std::vector<Entry> bs = List(b);
  counts.folders += 2;
  counts.files += as.size() + bs.size();
  size_t i = 0, j = 0;
  while (i < as.size() && j < bs.size()) {
    int order = ::CompareStringOrdinal(as[i].name.c_str(), -1, bs[j].name.c_str(), -1, TRUE);
    if (order == CSTR_LESS_THAN) {
      ++i;
    } else if (order == CSTR_GREATER_THAN) {
      ++j;
    } else {
      const Entry& x = as[i++];
      const Entry& y = bs[j++];
      if (x.dir && y.dir) {
        std::wstring subA = a + x.name + L"\\", subB = b + y.name + L"\\";
        jobs.Add([subA, subB, &jobs, &counts] { CompareFolders(subA, subB, jobs, counts); });
      } else if (!x.dir && !y.dir && x.size == y.size) {
        std::wstring fileA = a + x.name, fileB = b + y.name;
        uint64_t size = x.size;
        jobs.Add([fileA, fileB, size, &counts] { ReadPair(fileA, fileB, size, counts); });
      }
    }
  }
}

std::wstring WithBackslash(std::wstring dir) {
  if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
  return dir;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fwprintf(stderr, L"usage: floor_bench NEW_ROOT MY_ROOT THREADS\n");
    return 2;
  }
  const std::wstring a = WithBackslash(argv[1]), b = WithBackslash(argv[2]);
  int threads = _wtoi(argv[3]);
  if (threads <= 0) threads = orvelle::TaskPool::ConfiguredThreads();

  Counts counts;
  Jobs jobs;
  LARGE_INTEGER frequency{}, start{}, end{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  jobs.Add([&] { CompareFolders(a, b, jobs, counts); });
  std::vector<std::thread> others;
  for (int i = 1; i < threads; ++i) others.emplace_back([&] { jobs.Work(); });
  jobs.Work();
  for (std::thread& t : others) t.join();
  ::QueryPerformanceCounter(&end);

  std::printf("threads %d\nseconds %.6f\nfolders %llu\nfiles %llu\npairs %llu\nequal %llu\nbytes %llu\n",
              threads, static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
              static_cast<unsigned long long>(counts.folders.load()),
              static_cast<unsigned long long>(counts.files.load()),
              static_cast<unsigned long long>(counts.pairs.load()),
              static_cast<unsigned long long>(counts.equal.load()),
              static_cast<unsigned long long>(counts.bytes.load()));
  return 0;
}
