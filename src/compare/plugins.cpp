// The Plugins group: per kind, the plugins that the two installations
// register, matched by their registration values, each with the comparison
// of its directory and of what the configuration says about it.
#include "compare/entries.h"
#include "compare/packer_extensions.h"
#include "compare/plugin_registrations.h"
#include "compare/read_ahead.h"
#include "compare/run_comparison.h"
#include "compare/same_file.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/plugin_scope.h"
#include "tc/ttc.h"
#include "util/icons.h"
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/known_folders.h"
#include "platform/strings.h"

#include <memory>
#include <optional>
#include <vector>

namespace orvelle {

namespace {

struct KindInfo {
  const wchar_t* name;
  const wchar_t* info;
  const wchar_t* label;
};

KindInfo InfoOf(PluginKind kind) {
  switch (kind) {
    case PluginKind::Wfx: return {texts::kWfx, Tr(texts::kWfxInfo), Tr(texts::kProgressWfx)};
    case PluginKind::Wcx: return {texts::kWcx, Tr(texts::kWcxInfo), Tr(texts::kProgressWcx)};
    case PluginKind::Wlx: return {texts::kWlx, Tr(texts::kWlxInfo), Tr(texts::kProgressWlx)};
    case PluginKind::Wdx: return {texts::kWdx, Tr(texts::kWdxInfo), Tr(texts::kProgressWdx)};
  }
  return {};
}

int& FolderOf(FolderIndexes& folders, PluginKind kind) {
  switch (kind) {
    case PluginKind::Wfx: return folders.Wfx;
    case PluginKind::Wcx: return folders.Wcx;
    case PluginKind::Wlx: return folders.Wlx;
    case PluginKind::Wdx: return folders.Wdx;
  }
  return folders.Wfx;
}

class PluginComparer {
 public:
  PluginComparer(CompareContext& ctx, PluginKind kind)
      : ctx_(ctx),
        kind_(kind),
        info_(InfoOf(kind)),
        kindIndex_(FolderOf(ctx.Folders, kind)),
        newRows_(PluginRegistrations(ctx.New, kind)),
        myRows_(PluginRegistrations(ctx.My, kind)),
        around_(GatherSurroundings(&ctx.My, &ctx.New, L"", platform::GetSystemFolders())) {
    if (kindIndex_ >= 0) kindPath_ = ctx.Tree[kindIndex_].FolderPath();
  }

  void Run() {
    if (kindIndex_ < 0) return;
    MarkNameClashes(newRows_, myRows_);
    std::vector<Job> jobs;
    for (const PluginRegistration& n : newRows_) {
      int k = FindRegistration(myRows_, n.Value);
      jobs.push_back(k < 0 ? OneSidedJob(n, true) : InBothJob(n, myRows_[static_cast<size_t>(k)]));
    }
    for (const PluginRegistration& m : myRows_) {
      if (FindRegistration(newRows_, m.Value) < 0) jobs.push_back(OneSidedJob(m, false));
    }
    // Every plugin's reading is queued before the first goes into the tree.
    for (Job& job : jobs) {
      if (job.n && job.m) job.file = StartFileComparison(ctx_, job.n->File, job.m->File);
      job.directory =
          StartDirectoryComparison(ctx_, job.mode, job.myDir, job.newDir, job.filter);
    }
    for (Job& job : jobs) {
      if (!(job.n && job.m ? InBoth(job) : OneSided(job))) return;
      job = Job{};  // what is in the tree needs no keeping
    }
    ctx_.Tree[kindIndex_].Status = summary_.Text();
  }

 private:
  // Shows the plugin in the progress display; false when the comparison
  // stops here.
  bool Announce(const std::wstring& name) {
    SetProgressTitle(ctx_.Progress, std::wstring(info_.label) + L": " + name);
    ReportProgress(ctx_.Progress);
    return !ctx_.Stopped();
  }

  int AppendPluginFolder(const std::wstring& name, const std::wstring& iconFile) {
    TVirtualTreeItem folder =
        MakeFolder(kindIndex_, kindPath_, order_++, name, GetFileIcon(iconFile));
    folder.ContentFolder = true;
    ShortenEntryName(folder);
    return ctx_.Tree.Append(std::move(folder));
  }

  // One plugin folder to make: the rows of the installations that register
  // the plugin, and the comparison of its directory.
  struct Job {
    const PluginRegistration* n = nullptr;  // New's row; null: only My registers it
    const PluginRegistration* m = nullptr;  // My row; null: only New registers it
    std::wstring mode, myDir, newDir;
    // A side whose folder is not the plugin's own lists only the plugin's files.
    DirectoryFilter filter;
    std::shared_ptr<FilePairRead> file;  // both rows: the two plugin files
    std::shared_ptr<DirectoryLevel> directory;
  };

  // The row of the other installation that registers the plugin's twin.
  static const PluginRegistration* TwinIn(const std::vector<PluginRegistration>& rows,
                                          const PluginRegistration& r) {
    int k = FindRegistration(rows, TwinValue(r.Value));
    return k < 0 ? nullptr : &rows[static_cast<size_t>(k)];
  }

  // A plugin that one installation registers: its directory is compared
  // with the other installation's twin when that one registers it.
  Job OneSidedJob(const PluginRegistration& r, bool isNew) {
    Job job;
    (isNew ? job.n : job.m) = &r;
    const PluginRegistration* twin = TwinIn(isNew ? myRows_ : newRows_, r);
    const std::wstring own = platform::ExtractFilePath(r.File);
    const std::wstring other = twin ? platform::ExtractFilePath(twin->File) : std::wstring();
    job.mode = twin ? L"" : isNew ? L"*" : L"!";
    job.myDir = isNew ? other : own;
    job.newDir = isNew ? own : other;
    Restrict(isNew ? job.filter.New : job.filter.My, r.File);
    if (twin) Restrict(isNew ? job.filter.My : job.filter.New, twin->File);
    return job;
  }

  Job InBothJob(const PluginRegistration& n, const PluginRegistration& m) {
    Job job;
    job.n = &n;
    job.m = &m;
    job.myDir = platform::ExtractFilePath(m.File);
    job.newDir = platform::ExtractFilePath(n.File);
    Restrict(job.filter.New, n.File);
    Restrict(job.filter.My, m.File);
    return job;
  }

  // Only the plugin's files of its folder when the folder is not its own.
  void Restrict(std::optional<std::vector<std::wstring>>& side, const std::wstring& file) {
    PluginScope scope = PluginScopeOf(file, around_);
    if (!scope.WholeFolder) side = std::move(scope.Files);
  }

  // The "Directory" folder of a plugin folder; its result, or empty when the
  // tree is full.
  std::wstring AppendDirectory(int pluginIndex, Job& job) {
    TVirtualTreeItem dir = MakeFolder(pluginIndex, ctx_.Tree[pluginIndex].FolderPath(), 0,
                                      texts::kDirectory, nullptr);
    dir.ContentFolder = true;
    if (job.filter.New || job.filter.My) dir.Info = Tr(texts::kOnlyPluginFiles);
    const std::wstring dirPath = dir.FolderPath();
    const int index = ctx_.Tree.Append(std::move(dir));
    if (index < 0) return {};
    std::wstring result = CompareDirectories(ctx_, *job.directory, index, dirPath);
    ctx_.Tree[index].Status = result;
    return result;
  }

  bool OneSided(Job& job) {
    const bool isNew = job.n != nullptr;
    const PluginRegistration& r = isNew ? *job.n : *job.m;
    if (!Announce(r.Name)) return false;
    const int index = AppendPluginFolder(r.Name, r.File);
    if (index < 0) return false;
    const std::wstring sign = isNew ? L"*" : L"!";
    TVirtualTreeItem& folder = ctx_.Tree[index];
    folder.Status = sign;
    (isNew ? folder.NewFile : folder.MyFile) = r.File;
    summary_.Add(sign);
    AppendDirectory(index, job);
    AppendKindEntries(index, job.n, job.m);
    return !ctx_.Stopped();
  }

  bool InBoth(Job& job) {
    const PluginRegistration& n = *job.n;
    const PluginRegistration& m = *job.m;
    if (!Announce(m.Name)) return false;
    const int index = AppendPluginFolder(m.Name, n.File);
    if (index < 0) return false;
    FileVerdict verdict = FileComparisonResult(ctx_, *job.file);
    std::wstring status = verdict.sign;
    std::wstring info = VerdictInfo(verdict);
    if (IsSameFile(n.File, m.File)) {
      status = L"*!";
      info = SameFileWarning(ctx_.My, n.File);
      summary_.Add(L"*");
      summary_.Add(L"!");
    } else {
      summary_.Add(status);
    }
    {
      TVirtualTreeItem& folder = ctx_.Tree[index];
      folder.Status = status;
      folder.NewFile = n.File;
      folder.MyFile = m.File;
    }
    std::wstring dirSign = AppendDirectory(index, job);
    std::wstring detectSign = AppendKindEntries(index, &n, &m);
    if (!detectSign.empty()) {
      if (dirSign != L"=" || detectSign != L"=") {
        info = L"[" + dirSign + L"] [" + detectSign + L"] " + info;
      }
    } else if (dirSign != L"=") {
      info = L"[" + dirSign + L"] " + info;
    }
    ctx_.Tree[index].Info = info;
    return !ctx_.Stopped();
  }

  // What the configuration says about the plugin beyond its file: the
  // detect string of lister and content plugins (returns its sign when both
  // installations register the plugin), the extensions of packer plugins.
  std::wstring AppendKindEntries(int pluginIndex, const PluginRegistration* n,
                                 const PluginRegistration* m) {
    if (ctx_.Stopped()) return {};
    if (kind_ == PluginKind::Wcx) {
      AppendPackerExtensions(ctx_, pluginIndex, n, m);
      return {};
    }
    if (kind_ == PluginKind::Wfx || !n || !m) return {};
    TVirtualTreeItem detect =
        MakeEntry(pluginIndex, ctx_.Tree[pluginIndex].FolderPath(), 1, texts::kDetect,
                  ctx_.Icons.Get(IconRole::Information));
    // Detect strings are expressions the host evaluates; a change of case
    // can change what they match, so they are compared exactly.
    detect.Status = n->Detect == m->Detect ? L"=" : L"<>";
    detect.Info = n->Detect;
    detect.CommandEntry = true;
    detect.TextStatus = detect.Status;
    detect.TextTitle = m->Name;
    detect.TextDescription = texts::kDetect;
    detect.NewText = n->Detect;
    detect.MyText = m->Detect;
    std::wstring sign = detect.Status;
    return ctx_.Tree.Append(std::move(detect)) < 0 ? std::wstring() : sign;
  }

  CompareContext& ctx_;
  PluginKind kind_;
  KindInfo info_;
  int kindIndex_;
  std::wstring kindPath_;
  std::vector<PluginRegistration> newRows_, myRows_;
  PluginSurroundings around_;
  SignSummary summary_;
  int order_ = 0;
};

}  // namespace

void BuildPluginsSkeleton(CompareContext& ctx) {
  TVirtualTreeItem group = MakeFolder(ctx.InstIndex, ctx.InstPath(), 1, texts::kPluginsGroup,
                                      ctx.Icons.Get(IconRole::Plugins));
  const std::wstring groupPath = group.FolderPath();
  ctx.Folders.Plugins = ctx.Tree.Append(std::move(group));
  if (ctx.Folders.Plugins < 0) return;
  int order = 0;
  for (PluginKind kind : {PluginKind::Wfx, PluginKind::Wcx, PluginKind::Wlx, PluginKind::Wdx}) {
    KindInfo info = InfoOf(kind);
    TVirtualTreeItem folder = MakeFolder(ctx.Folders.Plugins, groupPath, order++, info.name,
                                         ctx.Icons.Get(IconRole::Folder));
    folder.Info = info.info;
    FolderOf(ctx.Folders, kind) = ctx.Tree.Append(std::move(folder));
  }
}

void ComparePlugins(CompareContext& ctx, PluginKind kind) {
  if (ctx.Stopped()) return;
  SetProgressTitle(ctx.Progress, InfoOf(kind).label);
  PluginComparer(ctx, kind).Run();
}

}  // namespace orvelle
