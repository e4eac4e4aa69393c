#include "util/process_info.h"

#include <cstring>
#include <vector>

namespace orvelle {

namespace {

using Status = LONG;
using QueryInformationFn = Status(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using ReadVirtualMemory64Fn = Status(NTAPI*)(HANDLE, ULONG64, PVOID, ULONG64, PULONG64);

constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessWow64Information = 26;
constexpr ULONG kProcessCommandLineInformation = 60;
constexpr Status kStatusInfoLengthMismatch = static_cast<Status>(0xC0000004);
constexpr Status kStatusBufferTooSmall = static_cast<Status>(0xC0000023);

struct BasicInformation {
  LONG_PTR exitStatus;
  PVOID pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG_PTR basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR inheritedFromUniqueProcessId;
};

// The basic information of a 64-bit process as the 64-bit query function
// hands it to a 32-bit reader.
struct BasicInformation64 {
  LONG exitStatus;
  ULONG padding1;
  ULONG64 pebBaseAddress;
  ULONG64 affinityMask;
  LONG basePriority;
  ULONG padding2;
  ULONG64 uniqueProcessId;
  ULONG64 inheritedFromUniqueProcessId;
};

// The counted string that the command-line class writes at the start of its
// buffer, its text following it.
struct CountedString {
  USHORT length;
  USHORT maximumLength;
  PWSTR buffer;
};

template <typename Fn>
Fn NtdllFunction(const char* name) {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(ntdll, name)));
}

QueryInformationFn QueryFunction() {
  return NtdllFunction<QueryInformationFn>("NtQueryInformationProcess");
}

std::optional<std::wstring> ReadThroughInformationClass(HANDLE process) {
  QueryInformationFn query = QueryFunction();
  if (query == nullptr) return std::nullopt;
  std::vector<unsigned char> buffer(sizeof(CountedString) + 2048);
  ULONG returned = 0;
  Status status = query(process, kProcessCommandLineInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &returned);
  if ((status == kStatusInfoLengthMismatch || status == kStatusBufferTooSmall) &&
      returned > buffer.size() && returned <= sizeof(CountedString) + 0x10000) {
    buffer.resize(returned);
    status = query(process, kProcessCommandLineInformation, buffer.data(),
                   static_cast<ULONG>(buffer.size()), &returned);
  }
  if (status < 0) return std::nullopt;
  CountedString header;
  std::memcpy(&header, buffer.data(), sizeof(header));
  if (header.length % 2 != 0) return std::nullopt;
  if (header.length == 0) return std::wstring();
  // The text lies in the same buffer, after the header; anything else is not
  // trusted.
  const auto* begin = reinterpret_cast<const unsigned char*>(header.buffer);
  if (begin < buffer.data() + sizeof(header) ||
      begin + header.length > buffer.data() + buffer.size()) {
    return std::nullopt;
  }
  std::wstring text(header.length / 2, L'\0');
  std::memcpy(text.data(), begin, header.length);
  return text;
}

std::optional<uint64_t> OwnBlockAddress(HANDLE process) {
  QueryInformationFn query = QueryFunction();
  if (query == nullptr) return std::nullopt;
  BasicInformation info{};
  ULONG returned = 0;
  if (query(process, kProcessBasicInformation, &info, sizeof(info), &returned) < 0) {
    return std::nullopt;
  }
  return reinterpret_cast<uintptr_t>(info.pebBaseAddress);
}

uint64_t Wow64Answer(HANDLE process) {
  QueryInformationFn query = QueryFunction();
  ULONG_PTR answer = 0;
  if (query == nullptr ||
      query(process, kProcessWow64Information, &answer, sizeof(answer), nullptr) < 0) {
    return 0;
  }
  return answer;
}

std::optional<uint64_t> Block64Address(HANDLE process) {
  auto query = NtdllFunction<QueryInformationFn>("NtWow64QueryInformationProcess64");
  if (query == nullptr) return std::nullopt;
  BasicInformation64 info{};
  ULONG returned = 0;
  if (query(process, kProcessBasicInformation, &info, sizeof(info), &returned) < 0) {
    return std::nullopt;
  }
  return info.pebBaseAddress;
}

bool IsWow64(HANDLE process) {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(process, &wow64) && wow64;
}

}  // namespace

bool IsBlockAddress(uint64_t address) { return address >= 0x10000; }

std::vector<CommandLineSource> CommandLineReadPlan(const CommandLineReadFacts& facts) {
  std::vector<CommandLineSource> plan{CommandLineSource::InformationClass};
  if (facts.readerIs64Bit) {
    // The 32-bit block is the one the process itself reads its command line
    // from; where the system does not say where it is, the 64-bit block
    // holds the same text.
    if (IsBlockAddress(facts.wow64BlockAddress)) plan.push_back(CommandLineSource::Wow64Block);
    plan.push_back(CommandLineSource::OwnBlock);
  } else if (!facts.readerUnderWow64 || facts.targetUnderWow64) {
    // Both 32-bit: the basic class gives the 32-bit block.
    plan.push_back(CommandLineSource::OwnBlock);
  } else if (facts.hasQuery64 && facts.hasRead64) {
    // A 64-bit process lies beyond a 32-bit reader's addresses.
    plan.push_back(CommandLineSource::Block64ThroughWow64);
  }
  return plan;
}

CommandLineReadFacts GatherCommandLineReadFacts(HANDLE process) {
  CommandLineReadFacts facts;
  facts.readerIs64Bit = sizeof(void*) == 8;
  facts.readerUnderWow64 = IsWow64(::GetCurrentProcess());
  facts.targetUnderWow64 = IsWow64(process);
  if (facts.readerIs64Bit) facts.wow64BlockAddress = Wow64Answer(process);
  facts.hasQuery64 = NtdllFunction<QueryInformationFn>("NtWow64QueryInformationProcess64") != nullptr;
  facts.hasRead64 = NtdllFunction<ReadVirtualMemory64Fn>("NtWow64ReadVirtualMemory64") != nullptr;
  return facts;
}

MemoryReader NativeMemoryReader(HANDLE process) {
  return [process](uint64_t address, void* buffer, size_t size) {
    if (address == 0 || address > UINTPTR_MAX) return false;
    SIZE_T read = 0;
    return ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)),
                               buffer, size, &read) &&
           read == size;
  };
}

std::optional<MemoryReader> Wow64MemoryReader(HANDLE process) {
  if (sizeof(void*) == 8) return std::nullopt;
  auto read64 = NtdllFunction<ReadVirtualMemory64Fn>("NtWow64ReadVirtualMemory64");
  if (read64 == nullptr) return std::nullopt;
  return MemoryReader([process, read64](uint64_t address, void* buffer, size_t size) {
    if (address == 0) return false;
    ULONG64 read = 0;
    return read64(process, address, buffer, size, &read) >= 0 && read == size;
  });
}

std::optional<std::wstring> ReadCommandLineInBlock(const MemoryReader& read, uint64_t block,
                                                   const ParametersLayout& layout) {
  // Pointers are read into the low bytes of a zeroed value: little-endian.
  uint64_t parameters = 0;
  if (!read(block + layout.parametersInBlock, &parameters, layout.pointerSize)) {
    return std::nullopt;
  }
  const uint64_t string = parameters + layout.commandLineInParameters;
  USHORT length = 0;
  uint64_t text = 0;
  // The buffer pointer follows the two lengths, aligned to its own size.
  if (!read(string, &length, sizeof(length)) ||
      !read(string + layout.pointerSize, &text, layout.pointerSize)) {
    return std::nullopt;
  }
  if (length % 2 != 0) return std::nullopt;
  std::wstring line(length / 2, L'\0');
  if (length > 0 && !read(text, line.data(), length)) return std::nullopt;
  return line;
}

std::optional<std::wstring> ReadCommandLineFrom(HANDLE process, CommandLineSource source) {
  if (process == nullptr) return std::nullopt;
  const bool is64 = sizeof(void*) == 8;
  switch (source) {
    case CommandLineSource::InformationClass:
      return ReadThroughInformationClass(process);
    case CommandLineSource::OwnBlock:
      if (std::optional<uint64_t> block = OwnBlockAddress(process)) {
        return ReadCommandLineInBlock(NativeMemoryReader(process), *block,
                                      is64 ? kLayout64 : kLayout32);
      }
      return std::nullopt;
    case CommandLineSource::Wow64Block:
      if (uint64_t block = Wow64Answer(process); is64 && IsBlockAddress(block)) {
        return ReadCommandLineInBlock(NativeMemoryReader(process), block, kLayout32);
      }
      return std::nullopt;
    case CommandLineSource::Block64ThroughWow64: {
      std::optional<MemoryReader> read = Wow64MemoryReader(process);
      std::optional<uint64_t> block = read ? Block64Address(process) : std::nullopt;
      if (!block) return std::nullopt;
      return ReadCommandLineInBlock(*read, *block, kLayout64);
    }
  }
  return std::nullopt;
}

std::optional<std::wstring> ReadProcessCommandLine(HANDLE process) {
  if (process == nullptr) return std::nullopt;
  for (CommandLineSource source : CommandLineReadPlan(GatherCommandLineReadFacts(process))) {
    if (std::optional<std::wstring> line = ReadCommandLineFrom(process, source)) return line;
  }
  return std::nullopt;
}

}  // namespace orvelle
