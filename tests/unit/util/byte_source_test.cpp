// Reading programs' and icon files' bytes with ReadFile: a read that fails
// or finds the file cut is an error value, on any thread, and what is read
// from such a file is "no icon" and "no version".
#include "util/byte_source.h"

#include "platform/handle.h"
#include "support/pe_resources.h"
#include "support/temp_dir.h"
#include "util/file_faults.h"
#include "util/icons.h"
#include "util/version_info.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace orvelle {
namespace {

// Cuts the file to size through a handle of its own, as another program
// would while the plugin reads it.
void CutFile(const std::wstring& path, LONGLONG size) {
  platform::unique_hfile other(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other) << "error " << ::GetLastError();
  LARGE_INTEGER at{};
  at.QuadPart = size;
  ASSERT_TRUE(::SetFilePointerEx(other.get(), at, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(other.get())) << "error " << ::GetLastError();
}

TEST(FileBytes, ReadsRangesAndRefusesWhatTheFileDoesNotHold) {
  test::TempDir dir;
  const std::wstring path = dir / L"data.bin";
  std::string bytes(200000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  test::WriteBytes(path, bytes);

  std::unique_ptr<FileBytes> file = FileBytes::Open(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), bytes.size());
  const std::optional<std::string_view> first = file->At(10, 5);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, bytes.substr(10, 5));
  const std::optional<std::string_view> later = file->At(150000, 50000);
  ASSERT_TRUE(later);
  EXPECT_EQ(*later, bytes.substr(150000));
  EXPECT_EQ(*first, bytes.substr(10, 5)) << "an earlier view stays valid";
  EXPECT_FALSE(file->At(150000, 50001));
  EXPECT_FALSE(file->At(UINT64_MAX - 2, 8));
  EXPECT_FALSE(FileBytes::Open(dir / L"missing.bin"));

  // Cut by another handle after it was opened: what is no longer there is
  // not handed out (what was read before stays readable).
  CutFile(path, 100000);
  EXPECT_FALSE(file->At(120000, 10));
  EXPECT_TRUE(file->At(12, 3));
}

// A program with an icon and a version record whose reading fails part-way,
// by a failing read or by the file being cut between opening and reading:
// no icon and no version, on the host's thread and on a worker thread.
TEST(FileBytes, ResourcesOfAFileWhoseReadsFailAreAbsentOnEveryThread) {
  test::TempDir dir;
  const std::wstring intact = dir / L"intact.exe";
  test::CopyProgramFile(intact);
  test::WriteIconResource(intact, {{test::MakeIconImage(32, 32, RGB(1, 2, 3))}});
  test::WriteVersionResource(intact, {2, 0, 0, 1}, {2, 0, 0, 0}, {{L"FileVersion", L"2.0"}});
  ASSERT_TRUE(ReadVersionInfo(intact));
  ASSERT_TRUE(TIconLibrary::Open(intact));
  ASSERT_FALSE(TIconLibrary::Open(intact)->Groups().empty());

  struct Fault {
    const char* name;
    std::function<bool(const std::wstring& path)> onRead;  // true: the read fails
  };
  const Fault faults[] = {
      {"every read fails", [](const std::wstring&) { return true; }},
      {"the file is cut to its first kilobyte after it was opened",
       [](const std::wstring& path) {
         CutFile(path, 1024);
         return false;
       }},
  };
  int round = 0;
  for (const Fault& fault : faults) {
    for (const bool worker : {false, true}) {
      SCOPED_TRACE(testing::Message() << fault.name << (worker ? ", worker thread" : ""));
      const std::wstring path = dir / (L"copy" + std::to_wstring(++round) + L".exe");
      ASSERT_TRUE(::CopyFileW(intact.c_str(), path.c_str(), FALSE));
      FileFaultHook previous = SetFileFaultHook([&](FileStep step, const std::wstring& file) {
        return step == FileStep::ReadFile && file == path && fault.onRead(file);
      });
      bool version = true, icons = true;
      HICON icon = reinterpret_cast<HICON>(1);
      auto read = [&] {
        version = ReadVersionInfo(path).has_value();
        std::optional<TIconLibrary> library = TIconLibrary::Open(path);
        icons = library && !library->Groups().empty();
        icon = GetFileIcon(path);
      };
      if (worker) {
        std::thread thread(read);
        thread.join();
      } else {
        read();
      }
      SetFileFaultHook(previous);
      EXPECT_FALSE(version);
      EXPECT_FALSE(icons);
      EXPECT_EQ(icon, nullptr);
    }
  }
  FreeIconCache();
}

}  // namespace
}  // namespace orvelle
