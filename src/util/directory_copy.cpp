#include "util/directory_copy.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace orvelle {

namespace {

constexpr int kStagingAttempts = 100;

bool Stopped(const CopyControl& control, const std::wstring& file) {
  if (control.Stop && control.Stop->load()) return true;
  return control.BeforeFile && !control.BeforeFile(file);
}

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

bool CopyOneFile(const std::wstring& source, const std::wstring& target,
                 const CopyControl& control) {
  if (Stopped(control, source)) return false;
  // The target is new: a file standing there already is not ours to replace.
  return platform::CopyFileTo(source, target, true);
}

bool CopyListed(const std::wstring& from, const std::wstring& to, const TreeListing& listing,
                const CopyControl& control) {
  for (const std::wstring& folder : listing.Folders) {
    if (!platform::MakeDirectory(to + L"\\" + folder)) return false;
  }
  for (const std::wstring& file : listing.Files) {
    if (!CopyOneFile(from + L"\\" + file, to + L"\\" + file, control)) return false;
  }
  return true;
}

}  // namespace

// Links are not followed: what they point to is not the folder's. The
// folders are walked with a stack of their own, not the thread's, so that a
// tree nested as deep as paths allow is listed too.
TreeListing ListTree(const std::wstring& dir) {
  TreeListing listing;
  const std::wstring root = platform::ExcludeTrailingBackslash(dir);
  std::vector<std::wstring> pending{L""};
  while (!pending.empty()) {
    const std::wstring level = std::move(pending.back());
    pending.pop_back();
    const std::wstring prefix = level.empty() ? level : level + L"\\";
    for (const platform::FileEntry& entry :
         platform::EnumFiles(root + L"\\" + prefix + L"*")) {
      if (IsLink(entry.attributes)) continue;
      if (entry.IsDirectory()) {
        listing.Folders.push_back(prefix + entry.name);
        pending.push_back(listing.Folders.back());
      } else {
        listing.Files.push_back(prefix + entry.name);
      }
    }
  }
  return listing;
}

bool CopyDirectoryContent(const std::wstring& sourceDir, const std::wstring& targetDir,
                          const std::vector<std::wstring>& onlyFiles,
                          const CopyControl& control, const TreeListing* listed) {
  const std::wstring from = platform::ExcludeTrailingBackslash(sourceDir);
  const std::wstring to = platform::ExcludeTrailingBackslash(targetDir);
  if (!platform::DirectoryExists(from) || !platform::DirectoryExists(to)) return false;
  if (onlyFiles.empty()) return CopyListed(from, to, listed ? *listed : ListTree(from), control);
  for (const std::wstring& name : onlyFiles) {
    const std::optional<platform::FileEntry> entry = platform::GetFileEntry(from + L"\\" + name);
    if (!entry || entry->IsDirectory() || IsLink(entry->attributes) ||
        !CopyOneFile(from + L"\\" + name, to + L"\\" + name, control)) {
      return false;
    }
  }
  return true;
}

std::optional<std::wstring> MakeStagingDirectory(const std::wstring& target) {
  const std::wstring base = platform::ExcludeTrailingBackslash(target) + L"~copy";
  for (int n = 1; n <= kStagingAttempts; ++n) {
    const std::wstring candidate = n == 1 ? base : base + std::to_wstring(n);
    if (platform::MakeDirectory(candidate)) return candidate;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
  }
  return std::nullopt;
}

bool IsStagingDirectoryOf(const std::wstring& staging, const std::wstring& target) {
  const std::wstring base =
      platform::LowerCase(platform::ExcludeTrailingBackslash(target)) + L"~copy";
  const std::wstring name = platform::LowerCase(platform::ExcludeTrailingBackslash(staging));
  if (!name.starts_with(base)) return false;
  for (size_t i = base.size(); i < name.size(); ++i) {
    if (name[i] < L'0' || name[i] > L'9') return false;
  }
  return true;
}

bool PlaceStagedDirectory(const std::wstring& staging, const std::wstring& target,
                          const std::wstring& displacedTo) {
  const bool occupied = platform::PathExists(target);
  if (occupied) {
    if (displacedTo.empty() || platform::PathExists(displacedTo)) return false;
    if (!platform::MovePath(target, displacedTo)) return false;
  }
  if (platform::MovePath(staging, target)) return true;
  // Roll back: what stood at target goes back under its name.
  if (occupied) platform::MovePath(displacedTo, target);
  return false;
}

}  // namespace orvelle
