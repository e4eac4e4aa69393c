#include "operations/update_plan.h"

#include "backup/restore.h"
#include "operations/plugin_source.h"
#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"

namespace orvelle {

namespace {

std::wstring WithoutBitness(const std::wstring& file) {
  std::wstring lower = platform::LowerCase(file);
  if (lower.size() > 2 && lower.ends_with(L"64")) lower.resize(lower.size() - 2);
  return lower;
}

// a and b (lower-cased, no trailing backslash) are one folder or one lies
// inside the other.
bool Overlap(const std::wstring& a, const std::wstring& b) {
  return a == b || a.starts_with(b + L"\\") || b.starts_with(a + L"\\");
}

int CompareTimes(const FILETIME& a, const FILETIME& b) { return ::CompareFileTime(&a, &b); }

const LevelItem* FindItem(const std::vector<LevelItem>& items, const std::wstring& name) {
  for (const LevelItem& item : items) {
    if (platform::EqualsNoCase(item.Name, name)) return &item;
  }
  return nullptr;
}

}  // namespace

std::optional<UpdatePlan> PlanUpdate(const TTC& my, const TTC& newModel, ItemKind kind,
                                     size_t myRow, size_t newRow, UpdateOption option,
                                     const std::wstring& ownPluginFile) {
  const std::vector<std::wstring>* myFiles = PluginFilesOf(my, kind);
  const std::vector<std::wstring>* newFiles = PluginFilesOf(newModel, kind);
  if (!myFiles || !newFiles || myRow >= myFiles->size() || newRow >= newFiles->size() ||
      (*myFiles)[myRow].empty()) {
    return std::nullopt;
  }
  UpdatePlan plan;
  plan.Option = option;
  plan.MyFile = platform::PathAsOnDisk((*myFiles)[myRow]);
  plan.MyDir = platform::ExcludeTrailingBackslash(platform::ExtractFileDir(plan.MyFile));
  if (!IsPlainFullPath(plan.MyFile) || !platform::DirectoryExists(plan.MyDir)) {
    return std::nullopt;
  }
  // Freeing this plugin's own module would pull the code out from under the
  // update itself.
  if (!ownPluginFile.empty() && WithoutBitness(plan.MyFile) == WithoutBitness(ownPluginFile)) {
    return std::nullopt;
  }
  std::optional<PluginSource> source =
      LocatePluginSource((*newFiles)[newRow], newModel, my, ownPluginFile);
  if (!source) return std::nullopt;
  plan.NewFile = source->File;
  plan.NewDir = source->Dir;
  plan.NewWhole = source->OwnFolder;
  plan.NewNames = source->Files;
  if (plan.NewWhole) {
    for (const std::wstring& file :
         {plan.NewFile, platform::PathAsOnDisk(PluginTwinOf(plan.NewFile))}) {
      if (platform::FileExists(file)) plan.NewNames.push_back(platform::ExtractFileName(file));
    }
  }
  if (Overlap(platform::LowerCase(plan.MyDir), platform::LowerCase(plan.NewDir))) {
    return std::nullopt;
  }

  const std::wstring twin = platform::PathAsOnDisk(PluginTwinOf(plan.MyFile));
  const PluginScope mine = PluginScopeOf(plan.MyFile, &my, &newModel, ownPluginFile);
  plan.WholeDirectory = mine.WholeFolder;
  for (const std::wstring& name : mine.Files) {
    const std::wstring file = platform::PathAsOnDisk(plan.MyDir + L"\\" + name);
    if (platform::FileExists(file)) plan.MyNames.push_back(platform::ExtractFileName(file));
  }
  plan.Modules = {plan.MyFile, twin};
  return plan;
}

std::vector<MergeStep> PlanMergeLevel(UpdateOption option, const std::vector<LevelItem>& newItems,
                                      const std::vector<LevelItem>& myItems) {
  std::vector<MergeStep> steps;
  if (option == UpdateOption::ReplaceDirectory) return steps;
  for (const LevelItem& item : newItems) {
    const LevelItem* mine = FindItem(myItems, item.Name);
    MergeStep step{MergeAction::CopyFile, item.Name, mine ? mine->Name : L"",
                   mine && mine->IsFolder};
    if (item.IsFolder) {
      if (IsTopLevelOnly(option)) continue;
      step.Action = mine && mine->IsFolder ? MergeAction::Descend : MergeAction::CopyFolder;
    } else if (mine && !mine->IsFolder && CopiesOnlyNewer(option) &&
               CompareTimes(item.LastWrite, mine->LastWrite) <= 0) {
      continue;
    }
    steps.push_back(std::move(step));
  }
  return steps;
}

}  // namespace orvelle
