// The comparison engine: fills the installation folder with the Main unit,
// Plugins and Applications groups, one step per category.
#pragma once

#include "compare/compare_context.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvelle {

// Runs every step in order; each returns early when ctx.Stopped().
void RunComparison(CompareContext& ctx);

// Main unit (Version, EXE modified, wincmd.ini, Files, Commands, Icons).
void BuildMainUnitSkeleton(CompareContext& ctx);
void CompareMainFiles(CompareContext& ctx);
void CompareCommands(CompareContext& ctx);
void CompareIcons(CompareContext& ctx);

// Plugins (WFX, WCX, WLX, WDX).
enum class PluginKind { Wfx, Wcx, Wlx, Wdx };
void BuildPluginsSkeleton(CompareContext& ctx);
void ComparePlugins(CompareContext& ctx, PluginKind kind);

// Applications (Non executable, Package exclude, Package include).
void BuildApplicationsSkeleton(CompareContext& ctx);
void CompareNonExecutables(CompareContext& ctx);
void ComparePackageExclude(CompareContext& ctx);
void ComparePackageInclude(CompareContext& ctx);

// Compares two directories into entries under the folder entry parentIndex
// (whose folder path is parentPath); returns the summary sign ("=" when no
// entries were made). Mode: "" both sides, "*" only newDir listed, "!" only
// myDir listed, "^" files only (subdirectories not compared).
std::wstring CompareDirectories(CompareContext& ctx, const std::wstring& mode,
                                const std::wstring& myDir, const std::wstring& newDir,
                                int parentIndex, const std::wstring& parentPath);

// The same in two halves, so that a step can queue the reading of all its
// directories before it fills the tree from the first: the listing and the
// file reading, queued as the context's next reading, and then the entries
// made from what was read.
// A side's filter keeps only the files of those names (any case) at the top
// level and lists no subdirectories there.
struct DirectoryFilter {
  std::optional<std::vector<std::wstring>> New, My;
};
class DirectoryLevel;
std::shared_ptr<DirectoryLevel> StartDirectoryComparison(CompareContext& ctx,
                                                         const std::wstring& mode,
                                                         const std::wstring& myDir,
                                                         const std::wstring& newDir,
                                                         const DirectoryFilter& filter = {});
std::wstring CompareDirectories(CompareContext& ctx, DirectoryLevel& started, int parentIndex,
                                const std::wstring& parentPath);

}  // namespace orvelle
