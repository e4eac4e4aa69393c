// Reading another process's command line from its process parameters.
#include "util/process_info.h"

#include <cstdint>
#include <vector>

namespace orvelle {

namespace {

using NtQueryInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessWow64Information = 26;

// Where the command line sits: the process parameters pointer in the process
// environment block, and the counted string (length in bytes, maximum, buffer)
// in the parameters. The layouts differ by the process's bitness.
struct Layout {
  size_t parametersInPeb;
  size_t commandLineInParameters;
  size_t pointerSize;
};
constexpr Layout kLayout32{0x10, 0x40, 4};
constexpr Layout kLayout64{0x20, 0x70, 8};

struct BasicInformation {
  LONG_PTR exitStatus;
  PVOID pebBaseAddress;
  ULONG_PTR affinityMask;
  LONG_PTR basePriority;
  ULONG_PTR uniqueProcessId;
  ULONG_PTR inheritedFromUniqueProcessId;
};

NtQueryInformationProcessFn QueryFunction() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  return reinterpret_cast<NtQueryInformationProcessFn>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationProcess")));
}

bool ReadExact(HANDLE process, uint64_t address, void* buffer, size_t size) {
  if (address == 0 || address > UINTPTR_MAX) return false;
  SIZE_T read = 0;
  return ::ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)),
                             buffer, size, &read) &&
         read == size;
}

bool ReadPointer(HANDLE process, uint64_t address, size_t pointerSize, uint64_t& value) {
  value = 0;
  return ReadExact(process, address, &value, pointerSize);  // little-endian
}

std::wstring ReadCommandLine(HANDLE process, uint64_t peb, const Layout& layout) {
  uint64_t parameters = 0;
  if (!ReadPointer(process, peb + layout.parametersInPeb, layout.pointerSize, parameters)) {
    return {};
  }
  uint64_t stringAddress = parameters + layout.commandLineInParameters;
  USHORT length = 0;
  uint64_t buffer = 0;
  // The buffer pointer follows the two lengths, aligned to its own size.
  if (!ReadExact(process, stringAddress, &length, sizeof(length)) ||
      !ReadPointer(process, stringAddress + layout.pointerSize, layout.pointerSize, buffer)) {
    return {};
  }
  if (length == 0 || length % 2 != 0) return {};
  std::wstring text(length / 2, L'\0');
  if (!ReadExact(process, buffer, text.data(), length)) return {};
  return text;
}

}  // namespace

std::wstring ReadProcessCommandLine(HANDLE process) {
  NtQueryInformationProcessFn query = QueryFunction();
  if (query == nullptr || process == nullptr) return {};

#ifdef _WIN64
  // A 32-bit process under WOW64 has its own 32-bit environment block,
  // whose address this class gives (0 for a 64-bit process).
  ULONG_PTR peb32 = 0;
  if (query(process, kProcessWow64Information, &peb32, sizeof(peb32), nullptr) >= 0 &&
      peb32 != 0) {
    return ReadCommandLine(process, peb32, kLayout32);
  }
  const Layout& layout = kLayout64;
#else
  // A 32-bit process cannot read a 64-bit one's parameters through these
  // addresses; on a 64-bit system the other process must run under WOW64 too.
  BOOL selfWow64 = FALSE, otherWow64 = FALSE;
  if (::IsWow64Process(::GetCurrentProcess(), &selfWow64) && selfWow64 &&
      (!::IsWow64Process(process, &otherWow64) || !otherWow64)) {
    return {};
  }
  const Layout& layout = kLayout32;
#endif

  BasicInformation info{};
  ULONG returned = 0;
  if (query(process, kProcessBasicInformation, &info, sizeof(info), &returned) < 0) return {};
  return ReadCommandLine(process, reinterpret_cast<uintptr_t>(info.pebBaseAddress), layout);
}

}  // namespace orvelle
