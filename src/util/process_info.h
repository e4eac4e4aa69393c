// Reading another process's command line, across bitness.
//
// The system keeps a process's command line in the process parameters that
// its environment block points to. Which block can be reached, with which
// layout and through which read functions depends on the bitness of the
// reader, of the system and of the other process; that choice is a plan made
// from a few facts (CommandLineReadPlan), apart from the reading itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvelle {

// The places a command line can be read from.
enum class CommandLineSource {
  // The command-line information class hands the text over (Windows 8.1 and
  // later; Wine answers that it is not implemented).
  InformationClass,
  // The block that the basic information class gives, in the reader's own
  // layout. For a 64-bit reader that is the 64-bit block, which a 32-bit
  // process under WOW64 has too, with the same command line.
  OwnBlock,
  // A 64-bit reader only: the 32-bit block of a process under WOW64, at the
  // address that the WOW64 information class gives.
  Wow64Block,
  // A 32-bit reader on a 64-bit system only: the 64-bit block of a 64-bit
  // process, found and read through the 64-bit query and read functions.
  Block64ThroughWow64,
};

// What decides which sources can serve.
struct CommandLineReadFacts {
  bool readerIs64Bit = false;
  bool readerUnderWow64 = false;   // a 32-bit reader on a 64-bit system
  bool targetUnderWow64 = false;   // the other process is 32-bit on a 64-bit system
  uint64_t wow64BlockAddress = 0;  // what the WOW64 class answered a 64-bit reader
  bool hasQuery64 = false;         // NtWow64QueryInformationProcess64 in the reader's ntdll
  bool hasRead64 = false;          // NtWow64ReadVirtualMemory64 in the reader's ntdll
};

// True when the WOW64 class's answer is the address of a block. Windows gives
// the 32-bit block's address, 0 for a 64-bit process; Wine gives 1, a mere
// flag. The lowest 64 KiB of a process are never mapped.
bool IsBlockAddress(uint64_t address);

// The sources to try, in order; the first that reads wins. Empty when the
// system offers no way at all (a 32-bit reader, a 64-bit process and neither
// the information class nor the 64-bit functions: only trying the class
// tells whether it is there, so it always comes first).
std::vector<CommandLineSource> CommandLineReadPlan(const CommandLineReadFacts& facts);

// The facts for reading that process from this one.
CommandLineReadFacts GatherCommandLineReadFacts(HANDLE process);

// Where the command line sits: the parameters pointer in the environment
// block, the counted string (length in bytes, maximum, buffer) in the
// parameters, and the size of a pointer.
struct ParametersLayout {
  uint64_t parametersInBlock;
  uint64_t commandLineInParameters;
  size_t pointerSize;
};
inline constexpr ParametersLayout kLayout32{0x10, 0x40, 4};
inline constexpr ParametersLayout kLayout64{0x20, 0x70, 8};

// Reads size bytes at an address of the other process; false unless all
// of them were read.
using MemoryReader = std::function<bool(uint64_t address, void* buffer, size_t size)>;

// ReadProcessMemory on the process (addresses beyond the reader's own
// pointer size fail).
MemoryReader NativeMemoryReader(HANDLE process);
// The 64-bit read function of a 32-bit reader on a 64-bit system; nullopt
// for a 64-bit reader and where the system lacks the function.
std::optional<MemoryReader> Wow64MemoryReader(HANDLE process);

// The command line in the parameters of the environment block at `block`,
// walked with that layout. nullopt when a read fails or the string is not
// whole UTF-16 text.
std::optional<std::wstring> ReadCommandLineInBlock(const MemoryReader& read, uint64_t block,
                                                   const ParametersLayout& layout);

// The command line through one source; nullopt when that source is out of
// reach for this build or system, or fails.
std::optional<std::wstring> ReadCommandLineFrom(HANDLE process, CommandLineSource source);

// The command line of another process (or of this one), through the first
// source of the plan that reads it; nullopt when none can.
std::optional<std::wstring> ReadProcessCommandLine(HANDLE process);

}  // namespace orvelle
