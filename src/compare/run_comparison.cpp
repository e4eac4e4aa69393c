#include "compare/run_comparison.h"

#include "tree/translation.h"
#include "tree/vars_conts.h"

namespace orvelle {

namespace {

// A group folder's Status sums up its direct children; it runs also after a
// cancel, over what was made.
void SummariseGroup(CompareContext& ctx, int folderIndex) {
  if (folderIndex < 0) return;
  TVirtualTreeItem& folder = ctx.Tree[folderIndex];
  folder.Status = GroupSummary(ctx.Tree, folder.FolderPath());
}

// Each step shows its label first and does nothing once the comparison has
// stopped; the steps set the texts of their items themselves.
template <typename Step>
void RunStep(CompareContext& ctx, const wchar_t* label, Step step) {
  if (ctx.Stopped()) return;
  SetProgressTitle(ctx.Progress, label);
  step();
}

}  // namespace

void RunComparison(CompareContext& ctx) {
  ctx.Folders = FolderIndexes{};

  RunStep(ctx, texts::kMainUnit, [&] { BuildMainUnitSkeleton(ctx); });
  RunStep(ctx, Tr(texts::kProgressMainFiles), [&] { CompareMainFiles(ctx); });
  RunStep(ctx, Tr(texts::kProgressCommands), [&] { CompareCommands(ctx); });
  RunStep(ctx, Tr(texts::kProgressIcons), [&] { CompareIcons(ctx); });
  SummariseGroup(ctx, ctx.Folders.MainUnit);

  RunStep(ctx, texts::kPluginsGroup, [&] { BuildPluginsSkeleton(ctx); });
  RunStep(ctx, Tr(texts::kProgressWfx), [&] { ComparePlugins(ctx, PluginKind::Wfx); });
  RunStep(ctx, Tr(texts::kProgressWcx), [&] { ComparePlugins(ctx, PluginKind::Wcx); });
  RunStep(ctx, Tr(texts::kProgressWlx), [&] { ComparePlugins(ctx, PluginKind::Wlx); });
  RunStep(ctx, Tr(texts::kProgressWdx), [&] { ComparePlugins(ctx, PluginKind::Wdx); });
  SummariseGroup(ctx, ctx.Folders.Plugins);

  RunStep(ctx, texts::kApplicationsGroup, [&] { BuildApplicationsSkeleton(ctx); });
  RunStep(ctx, texts::kNonExecutable, [&] { CompareNonExecutables(ctx); });
  RunStep(ctx, texts::kPackageExclude, [&] { ComparePackageExclude(ctx); });
  RunStep(ctx, texts::kPackageInclude, [&] { ComparePackageInclude(ctx); });
  SummariseGroup(ctx, ctx.Folders.Applications);
}

}  // namespace orvelle
