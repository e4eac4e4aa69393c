// Discovery of the two installations: My installation from the process that
// hosts the plugin, the New installation among the running processes: another
// "totalcmd.exe" whose program lies elsewhere. The other installation must be
// running already when the root is listed; nothing waits for it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class TTC;
class VirtualTree;
class SharedIcons;

// What discovery reads and fills; the plugin's state lends it.
struct Discovery {
  VirtualTree& Tree;
  SharedIcons& Icons;             // filled by My installation's icon preparation
  HMODULE PluginModule;           // where the plugin's own icons are
  std::wstring HostProgramFile;   // the own process's main program file
  DWORD OwnProcessId;
  std::unique_ptr<TTC>& MyModel;
  std::unique_ptr<TTC>& NewModel;
  std::wstring& InstallationFolder;  // the name of the installation folder in the root
  // Saves My installation's settings files once its model names them, before
  // anything of them is written; false when that failed, and then nothing is
  // written. Unset: nothing is written.
  std::function<bool(const TTC&)> BackUpSettings = {};
  // Called once My installation's configuration is read, before anything
  // the user is told is written: the plugin picks its language there.
  std::function<void(const TTC&)> ConfigurationRead = {};
  // What the user is told beside the listing about what was not done.
  std::vector<std::wstring> Warnings = {};
};

// Builds My installation's model from the own process: program file,
// environment, COMMANDER_INI, the configuration and its readers, the shared
// icons, the program directory's executables; once the settings are backed
// up, the saved searches and colour filters are added. False (after the
// readers' messages) when any step fails.
bool InitMyInstallation(Discovery& discovery);

// Scans the running processes for the New installation, reads it and adds
// the installation folder to the root. Without one, a root message entry
// says why and the result is false. Needs My model.
bool FindNewInstallation(Discovery& discovery);

// A running process as the scan sees it.
struct ProcessCandidate {
  DWORD ProcessId = 0;
  std::wstring ExeName;      // the snapshot's executable name
  bool Opened = false;       // the process could be opened for reading
  std::wstring ProgramPath;  // its main program file; empty when unreadable
};

// True for the host's program name ("totalcmd.exe", any case, blanks
// around ignored).
bool IsHostProgramName(std::wstring_view exeName);

enum class ScanOutcome { Found, CannotOpen, NotFound };
struct ScanResult {
  ScanOutcome Outcome = ScanOutcome::NotFound;
  size_t Index = 0;  // the candidate found, or the one that could not be opened
};

// The selection rules, in snapshot order: a host process other than the own
// one; the first that cannot be opened ends the scan; one whose program is
// My installation's own (a second copy of it) is passed over; the first
// whose configuration locate() finds wins.
ScanResult SelectNewInstallation(const std::vector<ProcessCandidate>& candidates,
                                 DWORD ownProcessId, const std::wstring& myExeFile,
                                 const std::function<bool(size_t)>& locate);

// The files directly in the directory whose extension is executable.
std::vector<std::wstring> ListMainExecutables(const std::wstring& programDir);

}  // namespace orvelle
