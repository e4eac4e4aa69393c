// Copying a plugin's folder into My installation without ever showing a
// half-copied plugin under its own name: the copy is made in a staging
// folder beside the target and renamed into place once it is whole. A copy
// that fails leaves the staging folder for the caller to delete; the target
// is untouched until the rename.
//
// The source is another installation's folder, not ours to trust: links in
// it (junctions, symbolic links) are never followed, since what they point
// to may lie anywhere (a drive root, the other installation, this one).
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvelle {

struct CopyControl {
  // Set from another thread to stop the copy before its next file.
  const std::atomic<bool>* Stop = nullptr;
  // Called before each file is copied, on the copying thread, with the
  // source file; false stops the copy.
  std::function<bool(const std::wstring& sourceFile)> BeforeFile;
};

// What a folder holds below it, as one walk found it: paths relative to the
// folder, each folder before what it holds. Links are left out: a copy does
// not follow them.
struct TreeListing {
  std::vector<std::wstring> Folders;
  std::vector<std::wstring> Files;
};
TreeListing ListTree(const std::wstring& dir);

// Copies into targetDir (which must exist) what sourceDir holds: with
// onlyFiles empty, every file (attributes and dates kept) and every
// subfolder recursively; otherwise only those file names of sourceDir
// itself. Links are skipped. False when anything could not be copied (a
// named file that is missing included) or the copy was stopped; what was
// copied so far stays. listed, when given with onlyFiles empty, is
// ListTree(sourceDir) as the caller made it already (a batch counts the
// files it will copy): the folder is not walked again.
bool CopyDirectoryContent(const std::wstring& sourceDir, const std::wstring& targetDir,
                          const std::vector<std::wstring>& onlyFiles,
                          const CopyControl& control = {}, const TreeListing* listed = nullptr);

// Creates a new, empty staging folder beside target (target + "~copy",
// "~copy2"... whichever is free) and returns it; nullopt when none can be
// made (the parent missing or not writable).
std::optional<std::wstring> MakeStagingDirectory(const std::wstring& target);

// Whether a folder name is one of the staging names of target.
bool IsStagingDirectoryOf(const std::wstring& staging, const std::wstring& target);

// Puts a staged folder in the place of target. A target that exists is
// first moved to displacedTo (which must not exist) and moved back when the
// staged folder cannot take its place; without displacedTo an existing
// target fails the call. False when the staged folder is not in place; the
// target is then as it was and the staging folder still there.
bool PlaceStagedDirectory(const std::wstring& staging, const std::wstring& target,
                          const std::wstring& displacedTo = {});

}  // namespace orvelle
