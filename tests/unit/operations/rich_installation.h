// An installation of the host with something of every kind a delete acts on,
// in the shapes real configurations take: a UTF-16 configuration with text
// outside the ANSI code page, sections redirected to another file and to the
// "AlternateUserIni" file (itself in a folder whose name the code page cannot
// hold), numbered lister and content plugins with detect strings, a saved
// search that uses a content plugin, two button bars (one ANSI, one UTF-16,
// one opened from the other) and a main menu with nested submenus. A second,
// small installation stands for the New one, with a plugin of every kind
// that My installation lacks (one of them, "Loose", lying in New's program
// folder itself). Both models are read with the plugin's own readers.
#pragma once

#include "backup/backup.h"
#include "support/temp_dir.h"
#include "tc/ttc.h"
#include "tree/tree.h"

#include <memory>
#include <string>

namespace orvelle::test {

class RichInstallation {
 public:
  RichInstallation();
  // With the plugin's folder (and so its store) under storeParent, for
  // example on another volume than My installation.
  explicit RichInstallation(const std::wstring& storeParent);

  // My installation's program folder and the New one's.
  const std::wstring& MyDir() const { return my_.Path(); }
  const std::wstring& NewDir() const { return new_.Path(); }
  // The folder of the plugin, where its backup store lies.
  std::wstring PluginDir() const { return plugin_.Path() + L"\\"; }
  std::wstring StoreDir() const { return plugin_ / L"backup"; }

  TTC& My() { return *myModel_; }
  TTC& New() { return *newModel_; }
  // A store whose clock moves on by a millisecond at every backup.
  TBackup& Backup() { return *backup_; }
  VirtualTree& Tree() { return tree_; }

  // The row of a file in a list of the model (case-insensitive, by the end
  // of the path); -1 when none.
  static int RowEndingWith(const std::vector<std::wstring>& list, const std::wstring& tail);

  // My installation's files as they are now; the plugin's folder lies
  // elsewhere, so nothing of the store is in it.
  std::wstring Path(std::wstring_view relative) const { return my_ / relative; }

 private:
  TempDir my_, new_;
  std::unique_ptr<TempDir> pluginHolder_;
  TempDir& plugin_;
  std::unique_ptr<TTC> myModel_, newModel_;
  VirtualTree tree_;
  std::unique_ptr<TBackup> backup_;
  double clock_ = 46000.5;
};

}  // namespace orvelle::test
