#include "support/minimal_dll.h"

#include <windows.h>

#include <cstring>

namespace orvelle::test {

std::string MinimalDll() {
  std::string image(0x400, '\0');
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(image.data());
  dos->e_magic = IMAGE_DOS_SIGNATURE;
  dos->e_lfanew = 0x40;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(image.data() + 0x40);
  nt->Signature = IMAGE_NT_SIGNATURE;
#ifdef _WIN64
  nt->FileHeader.Machine = IMAGE_FILE_MACHINE_AMD64;
  nt->FileHeader.Characteristics =
      IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL | IMAGE_FILE_LARGE_ADDRESS_AWARE;
  nt->OptionalHeader.ImageBase = 0x7FF650000000ull;
#else
  nt->FileHeader.Machine = IMAGE_FILE_MACHINE_I386;
  nt->FileHeader.Characteristics = IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL | IMAGE_FILE_32BIT_MACHINE;
  nt->OptionalHeader.ImageBase = 0x50000000u;
#endif
  nt->FileHeader.NumberOfSections = 1;
  nt->FileHeader.SizeOfOptionalHeader = sizeof(IMAGE_OPTIONAL_HEADER);
  IMAGE_OPTIONAL_HEADER& opt = nt->OptionalHeader;
  opt.Magic = IMAGE_NT_OPTIONAL_HDR_MAGIC;
  opt.SizeOfInitializedData = 0x200;
  opt.SectionAlignment = 0x1000;
  opt.FileAlignment = 0x200;
  opt.MajorOperatingSystemVersion = 6;
  opt.MajorSubsystemVersion = 6;
  opt.SizeOfImage = 0x2000;
  opt.SizeOfHeaders = 0x200;
  opt.Subsystem = IMAGE_SUBSYSTEM_WINDOWS_GUI;
  opt.SizeOfStackReserve = 0x100000;
  opt.SizeOfStackCommit = 0x1000;
  opt.SizeOfHeapReserve = 0x100000;
  opt.SizeOfHeapCommit = 0x1000;
  opt.NumberOfRvaAndSizes = IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
  IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  std::memcpy(section->Name, ".data", 5);
  section->Misc.VirtualSize = 0x10;
  section->VirtualAddress = 0x1000;
  section->SizeOfRawData = 0x200;
  section->PointerToRawData = 0x200;
  section->Characteristics = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE;
  return image;
}

}  // namespace orvelle::test
