// The Applications group: the files that the menus, button bars and user
// commands of the two installations launch or open, matched by name.
#include "compare/entries.h"
#include "compare/plugin_registrations.h"
#include "compare/read_ahead.h"
#include "compare/run_comparison.h"
#include "compare/same_file.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/ttc.h"
#include "util/icons.h"
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <memory>
#include <set>
#include <vector>

namespace orvelle {

namespace {

// Target types of the installation model's command-target lists.
constexpr wchar_t kTypeNonExecutable[] = L"N";
constexpr wchar_t kTypeExclude[] = L"E";
constexpr wchar_t kTypeInclude[] = L"I";

struct Target {
  std::wstring name;  // with " (N)" from the second occurrence of a name on
  std::wstring path;
  std::wstring source;
};

const std::wstring& At(const std::vector<std::wstring>& list, size_t i) {
  static const std::wstring kEmpty;
  return i < list.size() ? list[i] : kEmpty;
}

std::vector<Target> TargetsOf(const TTC& m, const wchar_t* type) {
  std::vector<Target> targets;
  for (size_t i = 0; i < m.TargetTypes.size(); ++i) {
    if (m.TargetTypes[i] != type) continue;
    Target t{At(m.TargetNames, i), At(m.TargetPaths, i), At(m.TargetSources, i)};
    // A menu item and a button opening one file are two targets of one name.
    const std::wstring& occurrence = At(m.TargetOccurrences, i);
    if (!occurrence.empty() && occurrence != L"1") t.name += L" (" + occurrence + L")";
    targets.push_back(std::move(t));
  }
  return targets;
}

int FindTarget(const std::vector<Target>& targets, const std::wstring& name) {
  for (size_t i = 0; i < targets.size(); ++i) {
    if (platform::EqualsNoCase(targets[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::wstring> PathsOf(const std::vector<Target>& targets) {
  std::vector<std::wstring> paths;
  for (const Target& t : targets) paths.push_back(t.path);
  return paths;
}

// Directories whose comparison would reach beyond one package: those holding
// several packages or plugins, and the program directory with everything in it.
std::set<std::wstring> SharedPackageDirectories(const TTC& model,
                                                const std::vector<Target>& targets) {
  std::set<std::wstring> shared = SharedPluginDirectories(model, PathsOf(targets));
  shared.insert(platform::LowerCase(model.ProgramDir()));
  return shared;
}

class TargetComparer {
 public:
  TargetComparer(CompareContext& ctx, const wchar_t* type, const wchar_t* label, int folderIndex)
      : ctx_(ctx),
        label_(label),
        folderIndex_(folderIndex),
        include_(std::wstring(type) == kTypeInclude),
        newTargets_(TargetsOf(ctx.New, type)),
        myTargets_(TargetsOf(ctx.My, type)) {
    if (folderIndex_ >= 0) folderPath_ = ctx.Tree[folderIndex_].FolderPath();
    if (include_) {
      newShared_ = SharedPackageDirectories(ctx.New, newTargets_);
      myShared_ = SharedPackageDirectories(ctx.My, myTargets_);
    }
  }

  void Run() {
    if (folderIndex_ < 0 || ctx_.Stopped()) return;
    SetProgressTitle(ctx_.Progress, label_);
    std::vector<Job> jobs;
    for (const Target& n : newTargets_) {
      int k = FindTarget(myTargets_, n.name);
      jobs.push_back(MakeJob(&n, k < 0 ? nullptr : &myTargets_[static_cast<size_t>(k)]));
    }
    for (const Target& m : myTargets_) {
      if (FindTarget(newTargets_, m.name) < 0) jobs.push_back(MakeJob(nullptr, &m));
    }
    // Every target's reading is queued before the first goes into the tree.
    for (Job& job : jobs) {
      if (job.n && job.m) job.file = StartFileComparison(ctx_, job.n->path, job.m->path);
      if (include_) job.directory = StartDirectoryComparison(ctx_, job.mode, job.myDir, job.newDir);
    }
    for (Job& job : jobs) {
      if (!Append(job)) return;
      job = Job{};  // what is in the tree needs no keeping
    }
    ctx_.Tree[folderIndex_].Status = summary_.Text();
  }

 private:
  // One target that New (n) or My (m) or both name, and in "Package
  // include" the comparison of its directory.
  struct Job {
    const Target* n = nullptr;
    const Target* m = nullptr;
    std::wstring mode, myDir, newDir;
    std::shared_ptr<FilePairRead> file;  // both: the two target files
    std::shared_ptr<DirectoryLevel> directory;
  };

  Job MakeJob(const Target* n, const Target* m) {
    Job job;
    job.n = n;
    job.m = m;
    if (!include_) return job;
    job.newDir = n ? platform::ExtractFilePath(n->path) : std::wstring();
    job.myDir = m ? platform::ExtractFilePath(m->path) : std::wstring();
    job.mode = !m ? L"*" : !n ? L"!" : L"";
    if ((n && newShared_.count(platform::LowerCase(job.newDir))) ||
        (m && myShared_.count(platform::LowerCase(job.myDir)))) {
      job.mode = L"^";
    }
    return job;
  }

  // False when the comparison stops here.
  bool Append(Job& job) {
    const Target* n = job.n;
    const Target* m = job.m;
    const Target& named = m ? *m : *n;
    SetProgressTitle(ctx_.Progress, label_ + L": " + named.name);
    ReportProgress(ctx_.Progress);
    if (ctx_.Stopped()) return false;

    const std::wstring newFile = n ? n->path : std::wstring();
    const std::wstring myFile = m ? m->path : std::wstring();
    // The entry shows New's file, or My's when New's does not exist.
    const std::wstring& shown = n && (!m || platform::PathExists(newFile)) ? newFile : myFile;
    TVirtualTreeItem item = include_ ? MakeFolder(folderIndex_, folderPath_, order_++, named.name,
                                                  GetFileIcon(shown))
                                     : MakeEntry(folderIndex_, folderPath_, order_++, named.name,
                                                 GetFileIcon(shown));
    item.NewFile = newFile;
    item.MyFile = myFile;
    item.Info = named.source;
    if (n && m) {
      item.Status = FileComparisonResult(ctx_, *job.file).sign;
      if (IsSameFile(newFile, myFile) && platform::FileExists(newFile)) {
        item.Status = L"*!";
        item.Info = SameFileWarning(ctx_.My, newFile) + L" " + named.source;
        summary_.Add(L"*");
        summary_.Add(L"!");
      } else {
        summary_.Add(item.Status);
      }
    } else {
      item.Status = n ? L"*" : L"!";
      summary_.Add(item.Status);
    }
    if (include_) {
      item.ContentFolder = true;
    } else {
      item.HasFiles = true;
      if (auto entry = platform::GetFileEntry(shown)) {
        item.SizeHigh = static_cast<uint32_t>(entry->size >> 32);
        item.SizeLow = static_cast<uint32_t>(entry->size);
        item.Attributes = entry->attributes;
      }
    }
    ShortenEntryName(item);
    const int index = ctx_.Tree.Append(std::move(item));
    if (index < 0) return false;
    const std::wstring itemPath = ctx_.Tree[index].FolderPath();
    if (include_) {
      std::wstring result = CompareDirectories(ctx_, *job.directory, index, itemPath);
      // As for plugins: a target both installations name tells when its
      // directory differs although its file may not.
      if (n && m && result != L"=") {
        ctx_.Tree[index].Info = L"[" + result + L"] " + ctx_.Tree[index].Info;
      }
    }
    return !ctx_.Stopped();
  }

  CompareContext& ctx_;
  std::wstring label_;
  int folderIndex_;
  bool include_;
  std::wstring folderPath_;
  std::vector<Target> newTargets_, myTargets_;
  std::set<std::wstring> newShared_, myShared_;
  SignSummary summary_;
  int order_ = 0;
};

bool HasTargetOfType(const TTC& m, const wchar_t* type) {
  for (const std::wstring& t : m.TargetTypes) {
    if (t == type) return true;
  }
  return false;
}

}  // namespace

void BuildApplicationsSkeleton(CompareContext& ctx) {
  HICON icon = ctx.My.IconLibHandles.size() > 3 ? ctx.My.IconLibHandles[3].get() : nullptr;
  TVirtualTreeItem group =
      MakeFolder(ctx.InstIndex, ctx.InstPath(), 2, texts::kApplicationsGroup, icon);
  const std::wstring groupPath = group.FolderPath();
  ctx.Folders.Applications = ctx.Tree.Append(std::move(group));
  if (ctx.Folders.Applications < 0) return;

  int order = 0;
  auto subFolder = [&](const wchar_t* type, const wchar_t* name, int& index) {
    if (!HasTargetOfType(ctx.New, type) && !HasTargetOfType(ctx.My, type)) return;
    TVirtualTreeItem folder = MakeFolder(ctx.Folders.Applications, groupPath, order++, name,
                                         ctx.Icons.Get(IconRole::Folder));
    // Their entries are files that may be copied out of the panel.
    folder.ContentFolder = std::wstring(type) != kTypeInclude;
    index = ctx.Tree.Append(std::move(folder));
  };
  subFolder(kTypeNonExecutable, texts::kNonExecutable, ctx.Folders.NonExecutable);
  subFolder(kTypeExclude, texts::kPackageExclude, ctx.Folders.PackageExclude);
  subFolder(kTypeInclude, texts::kPackageInclude, ctx.Folders.PackageInclude);
  // Without a side's main menu its items are not among the applications.
  for (const TTC* model : {&ctx.New, &ctx.My}) {
    if (model->MissingMainMenu.empty()) continue;
    AddNoticeEntry(ctx.Tree, groupPath,
                   std::wstring(Tr(texts::kFileMissing)) + L" " + model->MissingMainMenu,
                   MessageKind::Error, ctx.Icons.Get(IconRole::Error));
  }
}

void CompareNonExecutables(CompareContext& ctx) {
  TargetComparer(ctx, kTypeNonExecutable, texts::kNonExecutable, ctx.Folders.NonExecutable).Run();
}

void ComparePackageExclude(CompareContext& ctx) {
  TargetComparer(ctx, kTypeExclude, texts::kPackageExclude, ctx.Folders.PackageExclude).Run();
}

void ComparePackageInclude(CompareContext& ctx) {
  TargetComparer(ctx, kTypeInclude, texts::kPackageInclude, ctx.Folders.PackageInclude).Run();
}

}  // namespace orvelle
