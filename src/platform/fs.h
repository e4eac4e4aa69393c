// File-system queries and the directory enumerator. Paths are full Windows
// paths; the host's own paths never carry "\\?\" prefixes, and only
// LongPathForm makes them, for paths the system would refuse otherwise. The
// queries and the enumerator below take paths of any length: they use the
// long form themselves.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvelle::platform {

bool FileExists(const std::wstring& path);       // an existing file, not a directory
bool DirectoryExists(const std::wstring& path);  // an existing directory
bool PathExists(const std::wstring& path);       // either

// Path pieces, with the host's backslash conventions. ExtractFileDir keeps no
// trailing backslash ("c:\tc\x.exe" -> "c:\tc"); ExtractFilePath keeps it
// ("c:\tc\"); ExtractFileExt gives the text from the last "." of the name on,
// or empty.
std::wstring ExtractFileName(std::wstring_view path);
std::wstring ExtractFileDir(std::wstring_view path);
std::wstring ExtractFilePath(std::wstring_view path);
std::wstring ExtractFileExt(std::wstring_view path);
std::wstring IncludeTrailingBackslash(std::wstring_view path);
std::wstring ExcludeTrailingBackslash(std::wstring_view path);

// The path with each existing step spelt as the file system keeps it
// ("c:\tc\plugins\ftp" -> "C:\TC\Plugins\FTP"); steps that do not exist,
// and the drive or share, stay as given. A moved item keeps its name's case
// when it comes back.
std::wstring PathAsOnDisk(const std::wstring& path);

// PathAsOnDisk for many paths below the same folders, each folder looked up
// once: the plans of a batch of plugins spell hundreds of paths that share
// all their steps but the last two. For the length of one operation only:
// a folder renamed meanwhile keeps the spelling it had.
class PathSpelling {
 public:
  std::wstring OnDisk(const std::wstring& path);

 private:
  std::unordered_map<std::wstring, std::wstring> folders_;  // lower case -> as on disk
};

// The form of a path that the file functions accept at any length: a path of
// MAX_PATH - 12 characters or more (the limit for folders), made full and
// given the "\\?\" (or "\\?\UNC\") prefix; shorter paths, relative ones and
// those that carry a prefix already are returned as they are.
std::wstring LongPathForm(std::wstring_view path);

// The file functions that change installations, at any path length: each
// passes its paths through LongPathForm. They answer as their Win32 names do
// (FileAttributes gives INVALID_FILE_ATTRIBUTES for a missing path).
// MovePath moves as MoveFileW does unless told otherwise: a file may go to
// another volume, copied and then removed.
bool MovePath(const std::wstring& from, const std::wstring& to,
              DWORD flags = MOVEFILE_COPY_ALLOWED);
bool CopyFileTo(const std::wstring& from, const std::wstring& to, bool failIfExists);
bool RemoveFile(const std::wstring& path);
bool MakeDirectory(const std::wstring& path);
bool RemoveEmptyDirectory(const std::wstring& path);
DWORD FileAttributes(const std::wstring& path);
bool SetAttributes(const std::wstring& path, DWORD attributes);

struct FileEntry {
  std::wstring name;
  DWORD attributes = 0;
  uint64_t size = 0;
  FILETIME lastWrite{};
  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

// The directory entry of one path (size, attributes, last-write time), or
// nullopt when it does not exist.
std::optional<FileEntry> GetFileEntry(const std::wstring& path);

// Enumerates a search pattern ("c:\dir\*.*") with FindFirstFileW/FindNextFileW,
// skipping "." and "..". A pattern that matches nothing, or a missing folder,
// gives an empty range. With `error`, a listing that failed otherwise (the
// folder cannot be read, the search broke off) leaves the system's error
// code there; a complete one leaves it 0.
//   for (const FileEntry& e : EnumFiles(dir + L"\\*.*")) ...
class EnumFiles {
 public:
  explicit EnumFiles(std::wstring pattern, DWORD* error = nullptr)
      : pattern_(std::move(pattern)), error_(error) {}

  class iterator {
   public:
    iterator() = default;
    iterator(const std::wstring& pattern, DWORD* error);
    const FileEntry& operator*() const { return entry_; }
    const FileEntry* operator->() const { return &entry_; }
    iterator& operator++();
    bool operator==(const iterator& other) const { return done_ == other.done_; }
    bool operator!=(const iterator& other) const { return !(*this == other); }

   private:
    bool Take(const WIN32_FIND_DATAW& data);
    void Advance();
    unique_hfind find_;
    FileEntry entry_;
    bool done_ = true;
    DWORD* error_ = nullptr;
  };

  iterator begin() const { return iterator(pattern_, error_); }
  iterator end() const { return iterator(); }

 private:
  std::wstring pattern_;
  DWORD* error_;
};

}  // namespace orvelle::platform
