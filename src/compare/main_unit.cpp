// The Main unit group: the New program's version, build verdict and
// configuration file, and the executables of the two program directories.
#include "compare/entries.h"
#include "compare/exe_modified.h"
#include "compare/read_ahead.h"
#include "compare/run_comparison.h"
#include "tc/tables.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/tc_init.h"
#include "tc/ttc.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace orvelle {

namespace {

std::wstring MainUnitPath(const CompareContext& ctx) {
  return ctx.InstPath() + texts::kMainUnit + L"\\";
}

// The icon source is the configured icon library when it exists, else the
// program itself.
std::wstring IconSourceName(const TTC& model) {
  const std::wstring& library = model.ConfigPaths.iconlib;
  if (!library.empty() && platform::FileExists(library)) return platform::ExtractFileName(library);
  return platform::ExtractFileName(model.ExeFile);
}

// The verdict is New's program file's; My's stands beside it in the comment,
// so that a user sees whether the two builds' evidence agrees. Only the two
// main program files are checked: a signature check reads the whole file.
TVirtualTreeItem ExeModifiedEntry(const CompareContext& ctx, int parent, const std::wstring& path) {
  TVirtualTreeItem item = MakeEntry(parent, path, 4, texts::kExeModified, nullptr);
  const ProgramVerdict newSide =
      JudgeProgram(CheckProgramSignature(ctx.New.ExeFile),
                   JudgeBuild(kKnownBuilds, ctx.New.ProgramVersion, ctx.New.ProgramDigest));
  const ProgramVerdict mySide =
      JudgeProgram(CheckProgramSignature(ctx.My.ExeFile),
                   JudgeBuild(kKnownBuilds, ctx.My.ProgramVersion, ctx.My.ProgramDigest));
  item.Info = PairComment(newSide, mySide);
  switch (newSide.verdict) {
    case BuildVerdict::Unknown:
      item.Icon = ctx.Icons.Get(IconRole::Information);
      break;
    case BuildVerdict::Modified:
      item.Status = L"!*";
      item.Icon = ctx.Icons.Get(IconRole::Warning);
      break;
    case BuildVerdict::Known:
      item.Status = L"*";
      item.Icon = ctx.Icons.Get(IconRole::Information);
      break;
  }
  return item;
}

struct NamePair {
  std::wstring newName, myName;  // empty: that side lacks the file
};

// Names match without regard to case. The pairs come in both, only New,
// only My, the first two in the New list's order, the last in My list's.
std::vector<NamePair> PairNames(const std::vector<std::wstring>& newNames,
                                const std::vector<std::wstring>& myNames) {
  std::unordered_map<std::wstring, const std::wstring*> myByLower;
  for (const std::wstring& n : myNames) myByLower.try_emplace(platform::LowerCase(n), &n);
  std::vector<NamePair> inBoth, onlyNew, onlyMy;
  std::unordered_set<std::wstring> newLower;
  for (const std::wstring& n : newNames) {
    std::wstring lower = platform::LowerCase(n);
    auto my = myByLower.find(lower);
    if (my != myByLower.end()) {
      inBoth.push_back({n, *my->second});
    } else {
      onlyNew.push_back({n, {}});
    }
    newLower.insert(std::move(lower));
  }
  for (const std::wstring& n : myNames) {
    if (newLower.count(platform::LowerCase(n)) == 0) onlyMy.push_back({{}, n});
  }
  inBoth.insert(inBoth.end(), onlyNew.begin(), onlyNew.end());
  inBoth.insert(inBoth.end(), onlyMy.begin(), onlyMy.end());
  return inBoth;
}

}  // namespace

void BuildMainUnitSkeleton(CompareContext& ctx) {
  if (ctx.Stopped()) return;
  FolderIndexes& f = ctx.Folders;
  const HICON folderIcon = ctx.Icons.Get(IconRole::Folder);
  const std::wstring unitPath = MainUnitPath(ctx);
  const std::wstring iconsPath = unitPath + texts::kIcons + L"\\";

  f.MainUnit = ctx.Tree.Append(MakeFolder(ctx.InstIndex, ctx.InstPath(), 0, texts::kMainUnit,
                                          ctx.Icons.Get(IconRole::MainUnit)));
  if (f.MainUnit < 0) return;

  TVirtualTreeItem files = MakeFolder(f.MainUnit, unitPath, 0, texts::kFiles, folderIcon);
  files.ContentFolder = true;
  files.Info = Tr(texts::kOnlyExecutable);
  if ((f.Files = ctx.Tree.Append(std::move(files))) < 0) return;
  f.Commands = ctx.Tree.Append(MakeFolder(f.MainUnit, unitPath, 1, texts::kCommands, folderIcon));
  if (f.Commands < 0) return;
  f.Icons = ctx.Tree.Append(MakeFolder(f.MainUnit, unitPath, 2, texts::kIcons, folderIcon));
  if (f.Icons < 0) return;
  f.IconSource =
      ctx.Tree.Append(MakeFolder(f.Icons, iconsPath, 0, IconSourceName(ctx.New), folderIcon));
  if (f.IconSource < 0) return;
  if (platform::FileExists(ctx.New.ProgramDir() + texts::kWcmIconsDll)) {
    f.WcmIcons =
        ctx.Tree.Append(MakeFolder(f.Icons, iconsPath, 1, texts::kWcmIconsDll, folderIcon));
    if (f.WcmIcons < 0) return;
  }

  TVirtualTreeItem version =
      MakeEntry(f.MainUnit, unitPath, 3, texts::kVersion, ctx.Icons.Get(IconRole::Information));
  version.Info = ctx.New.ProgramVersion;
  if (ctx.Tree.Append(std::move(version)) < 0) return;

  if (ctx.Tree.Append(ExeModifiedEntry(ctx, f.MainUnit, unitPath)) < 0) return;

  // The entry opens the New installation's configuration file, which the
  // file dialog and the copy take from the My side.
  TVirtualTreeItem ini = MakeEntry(f.MainUnit, unitPath, 5, texts::kWincmdIni, nullptr);
  ini.HasFiles = true;
  ini.Info = ctx.New.IniFile;
  ini.MyFile = ctx.New.IniFile;
  ctx.Tree.Append(std::move(ini));
}

void CompareMainFiles(CompareContext& ctx) {
  if (ctx.Stopped() || ctx.Folders.Files < 0) return;
  SetProgressTitle(ctx.Progress, Tr(texts::kProgressMainFiles));

  const std::wstring newDir = ctx.New.ProgramDir();
  const std::wstring myDir = ctx.My.ProgramDir();
  const std::wstring path = ctx.Tree[ctx.Folders.Files].FolderPath();
  const std::vector<NamePair> pairs = PairNames(ListMainExecutables(newDir), ctx.My.MainExecutables);
  // Every pair's reading is queued before the first goes into the tree.
  std::vector<std::shared_ptr<FilePairRead>> reads;
  for (const NamePair& pair : pairs) {
    reads.push_back(pair.newName.empty() || pair.myName.empty()
                        ? nullptr
                        : StartFileComparison(ctx, newDir + pair.newName, myDir + pair.myName));
  }
  SignSummary summary;
  int order = 0;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const NamePair& pair = pairs[i];
    const std::wstring& name = pair.newName.empty() ? pair.myName : pair.newName;
    SetProgressTitle(ctx.Progress, std::wstring(Tr(texts::kProgressMainFiles)) + L": " + name);
    // A stopped step leaves its folder without a summary.
    if (ctx.Stopped()) return;
    TVirtualTreeItem item = MakeFileEntry(
        ctx.Folders.Files, path, order++, name,
        pair.newName.empty() ? std::wstring() : newDir + pair.newName,
        pair.myName.empty() ? std::wstring() : myDir + pair.myName,
        reads[i] ? &FileComparisonResult(ctx, *reads[i]) : nullptr);
    summary.Add(item.Status);
    if (ctx.Tree.Append(std::move(item)) < 0) return;
  }
  ctx.Tree[ctx.Folders.Files].Status = summary.Text();
}

}  // namespace orvelle
