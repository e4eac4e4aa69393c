// The File Compare Information dialog: the New and My installations' files
// side by side (dates, size, digest, version resource), with a sign per row.
// From it the user starts either file, and may ask for My file's directory
// in the host's other panel when the dialog closes.
#pragma once

#include "forms/appearance.h"
#include "forms/dialog.h"
#include "forms/files_view.h"
#include "tree/tree.h"

#include <string>

namespace orvelle {

struct FilesDialogInput {
  std::wstring newFile;
  std::wstring myFile;
  std::wstring myProgramDir;    // to tell on which side a shared file lies
  std::wstring myProgramFile;   // My installation's main program, started for the other panel
  std::wstring panelDirectory;  // empty: the check box is disabled
  Appearance look;
};

class TFormFilesForm : public TDialog {
 public:
  explicit TFormFilesForm(FilesDialogInput input);
  // Whether the check box was ticked when the dialog closed.
  bool OpenDirectoryRequested() const { return openDirectory_; }

 protected:
  std::wstring Caption() const override;
  FontSpec Font() const override { return input_.look.windowFont; }
  std::vector<ControlSpec> Controls() const override;
  void OnInit() override;
  bool OnCommand(int id, int code) override;
  HBRUSH OnControlColor(HDC dc, HWND control) override;

 private:
  void Layout();
  void Run(const std::wstring& file);

  FilesDialogInput input_;
  FilesView view_;
  unique_hfont gridFont_;
  bool openDirectory_ = false;
};

// The directory that the check box opens: that of the entry's My file, else
// that of the first file entry of the same folder whose My file exists, else
// a folder entry of that folder whose My path is an existing directory.
// Empty when none exists.
std::wstring PanelDirectoryFor(const VirtualTree& tree, int index);

// Shows the dialog for two files, modally over owner, then opens the panel
// directory in the host's other panel when the user asked for it.
void ShowFileCompare(HWND owner, const FilesDialogInput& input);

// Asks My installation's running host to show dir in its other panel: its
// main program started with "/O /S /R="dir"". Nothing happens when dir does
// not exist.
void OpenInOtherPanel(HWND owner, const std::wstring& programFile, const std::wstring& dir);

// Starts a file with the shell's "open" verb in its own directory; a file
// that does not exist is reported in a message box instead.
void RunFile(HWND owner, const std::wstring& file);

}  // namespace orvelle
