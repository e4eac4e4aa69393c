// Plays the user: a thread that looks for message boxes and other windows of
// the own process (at once when the host's thread opens one, otherwise now
// and then), prints them and answers them. A dialog of the
// plugin is printed whole (controls and grid cells), its controls are
// pressed as the --press option says, and then it gets Escape.
#pragma once

#include "options.h"

#include <windows.h>

#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tchost {

struct WatcherSettings {
  std::vector<Answer> answers;
  // Beside each answer, a command run on the host's thread first.
  std::vector<std::optional<Command>> answerCommands;
  // For the n-th dialog, the texts of the controls to press in order.
  std::vector<std::vector<std::wstring>> presses;
  // When set, each dialog is captured as CAPTUREDIR\dialog-N.bmp first.
  std::wstring captureDir;
};

// Waits while the watcher is busy with a dialog, so that a command's own
// line (the result of FsExecuteFile) comes after the dialog's lines.
void WaitForUser();

// When the first dialog answered since the last call was left (a
// performance counter reading; 0 when none was): what a command did before
// and after its dialog is timed apart.
LONGLONG TakeFirstDialogEnd();

class UserWatcher {
 public:
  // hostWindow is never treated as a window to answer, nor are windows of
  // the harness's own classes.
  UserWatcher(WatcherSettings settings, HWND hostWindow);
  ~UserWatcher();  // stops and joins the thread
  UserWatcher(const UserWatcher&) = delete;
  UserWatcher& operator=(const UserWatcher&) = delete;

 private:
  void Run() noexcept;
  void Poll();
  // Answers the message boxes on the screen now; false when there were none.
  bool AnswerMessageBoxes();
  void AnswerMessageBox(HWND box);
  void CloseWindow(HWND window);
  void PlayDialog(HWND dialog);
  std::wstring Press(HWND dialog, const std::wstring& text);
  // Has the host's thread run a harness command while a message box of the
  // plugin is open, answering other message boxes meanwhile.
  void RunOnHostThread(const Command& command);
  // Sends a command to the dialog and answers message boxes until the
  // dialog has handled it.
  void SendCommand(HWND dialog, WPARAM wParam, LPARAM lParam);
  void SendAndAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::vector<HWND> VisibleWindows() const;

  WatcherSettings settings_;
  size_t nextAnswer_ = 0;
  size_t dialogCount_ = 0;
  HWND hostWindow_;
  std::set<HWND> handled_;  // windows answered that still exist
  HHOOK hook_ = nullptr;  // wakes the watcher when the host's thread opens a window
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tchost
