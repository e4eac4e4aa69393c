// What the File Compare Information dialog shows for two files: the header,
// the six file rows and the fourteen version rows with their signs, the
// frame on the row that decided the verdict (and on the signature row when
// only one side's signature is intact), and which buttons work. Built
// from facts read beforehand, so that every case is tested without files.
#pragma once

#include "forms/compare_grids.h"
#include "util/program_signature.h"
#include "util/version_info.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvelle {

struct FileSideFacts {
  bool exists = false;
  double created = 0;  // local date-times
  double modified = 0;
  double accessed = 0;
  uint64_t size = 0;
  std::wstring digest;  // empty when the file could not be read
  std::optional<TPJVersionInfo> version;
  ProgramSignature signature;
};

// Reads one file: its times, size, digest, signature and version resource. A path that
// is empty or names no file gives exists = false.
FileSideFacts ReadFileSide(const std::wstring& path);

enum class FilesMode { Both, OnlyNew, OnlyMy, Neither };

inline constexpr size_t kFileRowCount = 6;
inline constexpr size_t kVersionRowCount = 14;

struct FilesView {
  FilesMode mode = FilesMode::Neither;
  std::array<std::wstring, 4> header;
  std::array<CompareRow, kFileRowCount> fileRows;
  std::array<CompareRow, kVersionRowCount> versionRows;
  bool runNewEnabled = true;
  bool runMyEnabled = true;
  // "WARNING! The same file! [My]" (or "[New]") when both paths name one
  // file; empty otherwise.
  std::wstring sameFileWarning;
};

// myProgramDir: My installation's program directory, to tell on which side
// a file that both name lies.
FilesView BuildFilesView(const std::wstring& newFile, const std::wstring& myFile,
                         const FileSideFacts& newSide, const FileSideFacts& mySide,
                         const std::wstring& myProgramDir);

}  // namespace orvelle
