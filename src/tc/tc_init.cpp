#include "tc/tc_init.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"
#include "tree/icon_set.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/button_bars.h"
#include "tc/command_list.h"
#include "tc/command_targets.h"
#include "tc/configuration_reader.h"
#include "tc/environment.h"
#include "tc/executable_extensions.h"
#include "tc/icon_readers.h"
#include "tc/locate_configuration.h"
#include "tc/menu_reader.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "tc/searches_colours.h"
#include "tc/ttc.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <optional>
#include <vector>

namespace orvelle {

namespace {

constexpr wchar_t kHostProgramName[] = L"totalcmd.exe";

using Reader = bool (*)(TTC&);

bool RunReaders(TTC& model, std::initializer_list<Reader> readers) {
  for (Reader read : readers) {
    if (!read(model)) return false;
  }
  return true;
}

// The main program file of another process: the file of its first module.
// Between bitnesses the module list may be out of reach; the process's image
// name serves then. Empty when neither can be read.
std::wstring ProcessProgramFile(HANDLE process) {
  std::vector<wchar_t> buffer(32768);
  HMODULE first = nullptr;
  DWORD needed = 0;
  if (::EnumProcessModules(process, &first, sizeof(first), &needed) && first != nullptr) {
    DWORD n = ::GetModuleFileNameExW(process, first, buffer.data(),
                                     static_cast<DWORD>(buffer.size()));
    if (n > 0) return std::wstring(buffer.data(), n);
  }
  DWORD size = static_cast<DWORD>(buffer.size());
  if (::QueryFullProcessImageNameW(process, 0, buffer.data(), &size) && size > 0) {
    return std::wstring(buffer.data(), size);
  }
  return {};
}

// The running processes in snapshot order; the host processes other than the
// own one are opened, the handles kept parallel to the candidates. False
// when no snapshot could be taken.
bool CollectCandidates(DWORD ownProcessId, std::vector<ProcessCandidate>& candidates,
                       std::vector<platform::unique_process>& handles) {
  platform::unique_snapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    ProcessCandidate candidate;
    candidate.ProcessId = entry.th32ProcessID;
    candidate.ExeName = entry.szExeFile;
    platform::unique_process process;
    if (IsHostProgramName(candidate.ExeName) && candidate.ProcessId != ownProcessId) {
      // Reading the module list and the command line needs no more than this;
      // asking for all access would fail for no reason where these suffice.
      process.reset(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                  candidate.ProcessId));
      candidate.Opened = static_cast<bool>(process);
      if (process) candidate.ProgramPath = ProcessProgramFile(process.get());
    }
    candidates.push_back(std::move(candidate));
    handles.push_back(std::move(process));
  }
  return true;
}

void AddInstallationFolder(Discovery& discovery, const TTC& model) {
  VirtualTree& tree = discovery.Tree;
  int inRoot = 0;
  for (int i = 0; i < tree.Count(); ++i) {
    if (tree[i].Path == L"\\") ++inRoot;
  }
  TVirtualTreeItem folder;
  folder.Order = inRoot;
  folder.ParentIndex = -1;
  folder.IsFolder = true;
  folder.Name = platform::ExtractFileName(model.ExeFile);
  folder.Path = L"\\";
  folder.Info = platform::ExtractFileDir(model.ExeFile);
  folder.Icon = model.MainIcon;
  discovery.InstallationFolder = folder.Name;
  tree.Append(std::move(folder));
}

void AddRootMessage(Discovery& discovery, const std::wstring& text) {
  AddMessageEntry(discovery.Tree, L"\\", text, MessageKind::Error,
                  discovery.Icons.Get(IconRole::Error));
}

}  // namespace

bool IsHostProgramName(std::wstring_view exeName) {
  return platform::LowerCase(platform::Trim(exeName)) == kHostProgramName;
}

ScanResult SelectNewInstallation(const std::vector<ProcessCandidate>& candidates,
                                 DWORD ownProcessId, const std::wstring& myExeFile,
                                 const std::function<bool(size_t)>& locate) {
  const std::wstring mine = platform::LowerCase(myExeFile);
  for (size_t i = 0; i < candidates.size(); ++i) {
    const ProcessCandidate& c = candidates[i];
    if (!IsHostProgramName(c.ExeName) || c.ProcessId == ownProcessId) continue;
    if (!c.Opened) return {ScanOutcome::CannotOpen, i};
    if (platform::LowerCase(c.ProgramPath) == mine) continue;  // a second copy of My installation
    if (locate(i)) return {ScanOutcome::Found, i};
  }
  return {ScanOutcome::NotFound, 0};
}

std::vector<std::wstring> ListMainExecutables(const std::wstring& programDir) {
  std::vector<std::wstring> names;
  for (const platform::FileEntry& entry :
       platform::EnumFiles(platform::IncludeTrailingBackslash(programDir) + L"*.*")) {
    if (!entry.IsDirectory() && IsExecutableFileName(entry.name)) names.push_back(entry.name);
  }
  return names;
}

bool InitMyInstallation(Discovery& discovery) {
  discovery.MyModel = std::make_unique<TTC>(discovery.HostProgramFile);
  TTC& my = *discovery.MyModel;
  ReadOwnEnvironment(my);
  if (!LocateMyConfiguration(my)) return false;
  if (!RunReaders(my, {LoadConfiguration, ReadButtonBarFiles, ReadMainMenu})) return false;
  if (discovery.ConfigurationRead) discovery.ConfigurationRead(my);
  discovery.Icons.Load(discovery.PluginModule);
  // The first change to the user's settings comes after their backup.
  if (discovery.BackUpSettings && discovery.BackUpSettings(my)) {
    for (std::wstring& problem : WriteMarkerSearches(my)) {
      discovery.Warnings.push_back(std::move(problem));
    }
  }
  if (!RunReaders(my, {ReadCommandList, ReadIconLibraries})) return false;
  my.MainExecutables = ListMainExecutables(my.ProgramDir());
  return RunReaders(my, {ReadCommandTargets, ReadPrincipalDirectories, ReadIconIndexes,
                         SettlePluginDirectories});
}

bool FindNewInstallation(Discovery& discovery) {
  discovery.NewModel.reset();
  const TTC& my = *discovery.MyModel;

  std::vector<ProcessCandidate> candidates;
  std::vector<platform::unique_process> handles;
  std::unique_ptr<TTC> located;
  // A candidate whose command line was out of reach and whose configuration
  // the other sources did not find either: the user can do something about
  // that one, unlike an absent installation.
  std::optional<std::wstring> unreadProgram;
  ScanResult scan;
  if (CollectCandidates(discovery.OwnProcessId, candidates, handles)) {
    scan = SelectNewInstallation(
        candidates, discovery.OwnProcessId, my.ExeFile, [&](size_t i) {
          auto model = std::make_unique<TTC>(candidates[i].ProgramPath);
          DeriveNewEnvironment(my, *model);
          // The handle is lent for the look at the command line only.
          model->ProcessHandle = handles[i].get();
          bool commandLineRead = true;
          bool found = LocateConfiguration(*model, &commandLineRead);
          model->ProcessHandle = nullptr;
          if (found) {
            located = std::move(model);
          } else if (!commandLineRead && !unreadProgram) {
            unreadProgram = candidates[i].ProgramPath;
          }
          return found;
        });
  }
  handles.clear();

  if (scan.Outcome == ScanOutcome::CannotOpen) {
    AddRootMessage(discovery, Tr(texts::kCanNotOpenProcess));
    return false;
  }
  if (scan.Outcome == ScanOutcome::NotFound || !located) {
    std::wstring text = Tr(texts::kRunAnother);
    if (unreadProgram) {
      text = Tr(texts::kCanNotReadCommandLine);
      if (!unreadProgram->empty()) text += L" " + *unreadProgram;
    }
    AddRootMessage(discovery, text);
    return false;
  }
  located->MainIniFile = located->IniFile;
  discovery.NewModel = std::move(located);
  TTC& found = *discovery.NewModel;
  if (!RunReaders(found, {LoadConfiguration, ReadIconLibraries, ReadCommandList, ReadIconIndexes,
                          ReadProgramIdentity, ReadButtonBarFiles, ReadMainMenu,
                          ReadCommandTargets, ReadPrincipalDirectories,
                          SettlePluginDirectories})) {
    return false;
  }
  AddInstallationFolder(discovery, found);
  return true;
}

}  // namespace orvelle
