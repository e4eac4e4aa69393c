#include "util/process_info.h"

#include "support/child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace orvelle {
namespace {

using Source = CommandLineSource;
using Plan = std::vector<CommandLineSource>;

constexpr bool kBuildIs64Bit = sizeof(void*) == 8;

bool IsWow64(HANDLE process) {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(process, &wow64) && wow64;
}

// Polls until the child has set up its parameters and they read as `line`;
// the last value read otherwise.
std::optional<std::wstring> ReadOnceUp(HANDLE process, const std::wstring& line) {
  std::optional<std::wstring> read;
  for (int i = 0; i < 100; ++i) {
    read = ReadProcessCommandLine(process);
    if (read == line) break;
    ::Sleep(50);
  }
  return read;
}

TEST(CommandLineReadPlan, ChoosesTheBlocksThatTheReaderAndTheSystemCanReach) {
  struct Case {
    const char* label;
    CommandLineReadFacts facts;
    Plan plan;
  };
  const Case cases[] = {
      {"64-bit reader, 64-bit process", {true, false, false, 0, false, false},
       {Source::InformationClass, Source::OwnBlock}},
      {"64-bit reader, WOW64 process, the system gives the 32-bit block's address",
       {true, false, true, 0x7efde000, false, false},
       {Source::InformationClass, Source::Wow64Block, Source::OwnBlock}},
      {"64-bit reader, WOW64 process, the WOW64 class answers a flag (Wine)",
       {true, false, true, 1, false, false}, {Source::InformationClass, Source::OwnBlock}},
      {"64-bit reader, an answer below the first mapped address",
       {true, false, true, 0xFFFF, false, false}, {Source::InformationClass, Source::OwnBlock}},
      {"32-bit reader on a 32-bit system", {false, false, false, 0, false, false},
       {Source::InformationClass, Source::OwnBlock}},
      {"32-bit reader and process under WOW64", {false, true, true, 0, true, true},
       {Source::InformationClass, Source::OwnBlock}},
      {"32-bit reader, 64-bit process, both 64-bit functions",
       {false, true, false, 0, true, true},
       {Source::InformationClass, Source::Block64ThroughWow64}},
      {"32-bit reader, 64-bit process, only the read function (Wine)",
       {false, true, false, 0, false, true}, {Source::InformationClass}},
      {"32-bit reader, 64-bit process, neither function", {false, true, false, 0, false, false},
       {Source::InformationClass}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(CommandLineReadPlan(c.facts), c.plan);
  }
}

TEST(CommandLineReadPlan, EverySourceReadsAChildOfTheOwnBitnessExactlyOrNotAtAll) {
  test::TestChild child(L"a \"quoted argument\"  /i=\"C:\\some dir\\wincmd.ini\" \u00e9t\u00e9");
  ASSERT_TRUE(child.Started());
  const CommandLineReadFacts facts = GatherCommandLineReadFacts(child.Process());
  EXPECT_EQ(facts.readerIs64Bit, kBuildIs64Bit);
  EXPECT_EQ(facts.targetUnderWow64, facts.readerUnderWow64);
  EXPECT_FALSE(IsBlockAddress(facts.wow64BlockAddress) && kBuildIs64Bit)
      << "a process of the own bitness has no 32-bit block beside its own";
  const Plan plan = CommandLineReadPlan(facts);
  ASSERT_NE(std::find(plan.begin(), plan.end(), Source::OwnBlock), plan.end());

  // A source the system lacks (the information class under Wine) reads
  // nothing; none reads anything but the exact line.
  for (Source source : {Source::InformationClass, Source::OwnBlock, Source::Wow64Block,
                        Source::Block64ThroughWow64}) {
    SCOPED_TRACE(static_cast<int>(source));
    std::optional<std::wstring> read = ReadCommandLineFrom(child.Process(), source);
    if (source == Source::OwnBlock) {
      ASSERT_TRUE(read);
    }
    if (read) {
      EXPECT_EQ(*read, child.CommandLine());
    }
  }
  EXPECT_EQ(ReadProcessCommandLine(child.Process()), child.CommandLine());
}

// Both read functions walk the process's own block: the 64-bit one of a
// 32-bit reader takes the same addresses that ReadProcessMemory takes.
TEST(CommandLineReadPlan, BothReadFunctionsWalkTheOwnBlock) {
  using GetPebFn = void*(NTAPI*)();
  auto getPeb = reinterpret_cast<GetPebFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetCurrentPeb")));
  ASSERT_NE(getPeb, nullptr);
  const uint64_t block = reinterpret_cast<uintptr_t>(getPeb());
  const ParametersLayout& layout = kBuildIs64Bit ? kLayout64 : kLayout32;
  EXPECT_EQ(ReadCommandLineInBlock(NativeMemoryReader(::GetCurrentProcess()), block, layout),
            ::GetCommandLineW());
  std::optional<MemoryReader> read64 = Wow64MemoryReader(::GetCurrentProcess());
  if (kBuildIs64Bit || !IsWow64(::GetCurrentProcess())) {
    EXPECT_FALSE(read64) << "only a 32-bit reader on a 64-bit system has it";
  } else if (!read64) {
    GTEST_SKIP() << "this system lacks NtWow64ReadVirtualMemory64";
  } else {
    EXPECT_EQ(ReadCommandLineInBlock(*read64, block, kLayout32), ::GetCommandLineW());
  }
}

// Another process's memory is not to be trusted: a block that cannot be
// walked to its end, or whose string is no whole UTF-16 text, reads nothing.
TEST(ReadCommandLineInBlock, ReadsNothingFromABrokenBlock) {
  constexpr uint64_t kBlock = 0x10000, kParameters = 0x20000, kText = 0x30000;
  struct Case {
    const char* label;
    USHORT length;
    bool parametersReadable;
    bool textReadable;
    std::optional<std::wstring> expected;
  };
  const Case cases[] = {
      {"whole", 8, true, true, L"a /b"},
      {"an empty command line", 0, true, true, L""},
      {"an odd length", 7, true, true, std::nullopt},
      {"parameters out of reach", 8, false, true, std::nullopt},
      {"text out of reach", 8, true, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::map<uint64_t, std::vector<unsigned char>> memory;
    auto put = [&memory](uint64_t address, const void* bytes, size_t size) {
      const auto* p = static_cast<const unsigned char*>(bytes);
      memory[address].assign(p, p + size);
    };
    uint64_t parameters = kParameters, text = kText;
    put(kBlock + kLayout64.parametersInBlock, &parameters, 8);
    if (c.parametersReadable) {
      put(kParameters + kLayout64.commandLineInParameters, &c.length, 2);
      put(kParameters + kLayout64.commandLineInParameters + 8, &text, 8);
    }
    if (c.textReadable) put(kText, L"a /b", 8);
    MemoryReader read = [&memory](uint64_t address, void* buffer, size_t size) {
      auto at = memory.find(address);
      if (at == memory.end() || at->second.size() < size) return false;
      std::memcpy(buffer, at->second.data(), size);
      return true;
    };
    EXPECT_EQ(ReadCommandLineInBlock(read, kBlock, kLayout64), c.expected);
  }
}

TEST(ReadProcessCommandLine, ReadsARunningChildExactly) {
  const std::wstring arguments = L"first \"a quoted argument\"  two-blanks-before \u00e9t\u00e9";
  test::TestChild child(arguments);
  ASSERT_TRUE(child.Started());
  EXPECT_EQ(ReadProcessCommandLine(child.Process()), child.CommandLine());
}

TEST(ReadProcessCommandLine, ReadsItsOwnProcess) {
  EXPECT_EQ(ReadProcessCommandLine(::GetCurrentProcess()), ::GetCommandLineW());
}

TEST(ReadProcessCommandLine, GivesNothingOnFailure) {
  EXPECT_EQ(ReadProcessCommandLine(nullptr), std::nullopt);
  // A handle without the right to read memory: the blocks are out of reach
  // (the information class of Windows needs no more than this handle).
  test::TestChild child(L"limited");
  ASSERT_TRUE(child.Started());
  platform::unique_process limited(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                                 ::GetProcessId(child.Process())));
  ASSERT_TRUE(limited);
  EXPECT_EQ(ReadCommandLineFrom(limited.get(), Source::OwnBlock), std::nullopt);
  if (std::optional<std::wstring> read = ReadProcessCommandLine(limited.get())) {
    EXPECT_EQ(*read, child.CommandLine());
  }
}

#ifdef _WIN64
TEST(ReadProcessCommandLine, Reads32BitProcessesFromThe64BitBuild) {
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring program = std::wstring(windows) + L"\\syswow64\\cmd.exe";
  const std::wstring line = L"cmd.exe /c ping -n 30 127.0.0.1 >nul";
  test::TestChild child(program, line, false);
  if (!child.Started()) GTEST_SKIP() << "this machine runs no 32-bit programs";
  ASSERT_TRUE(IsWow64(child.Process()));
  EXPECT_EQ(ReadOnceUp(child.Process(), line), line);
}
#else
// From the 32-bit build a 64-bit process is read where the system has the
// 64-bit query and read functions (Windows); where it lacks them (Wine) the
// result says that nothing was read, never a wrong or empty line.
TEST(ReadProcessCommandLine, Reads64BitProcessesFromThe32BitBuildWhereTheSystemCan) {
  if (!IsWow64(::GetCurrentProcess())) GTEST_SKIP() << "a 32-bit system runs no 64-bit programs";
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  // "sysnative" is the 64-bit system folder as a 32-bit process names it.
  const std::wstring program = std::wstring(windows) + L"\\sysnative\\cmd.exe";
  const std::wstring line = L"cmd.exe /c ping -n 30 127.0.0.1 >nul";
  test::TestChild child(program, line, false);
  ASSERT_TRUE(child.Started()) << "cannot start " << program;
  ASSERT_FALSE(IsWow64(child.Process()));
  const CommandLineReadFacts facts = GatherCommandLineReadFacts(child.Process());
  if (facts.hasQuery64 && facts.hasRead64) {
    EXPECT_EQ(ReadOnceUp(child.Process(), line), line);
  } else if (std::optional<std::wstring> read = ReadProcessCommandLine(child.Process())) {
    EXPECT_EQ(*read, line) << "only the information class can have read it";
  }
}
#endif

}  // namespace
}  // namespace orvelle
