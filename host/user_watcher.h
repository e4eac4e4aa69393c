// Plays the user: a thread that looks for message boxes and other windows of
// the own process every 50 ms, prints them and answers them.
#pragma once

#include "options.h"

#include <windows.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace tchost {

class UserWatcher {
 public:
  // hostWindow is never treated as a window to answer.
  UserWatcher(std::vector<Answer> answers, HWND hostWindow);
  ~UserWatcher();  // stops and joins the thread
  UserWatcher(const UserWatcher&) = delete;
  UserWatcher& operator=(const UserWatcher&) = delete;

 private:
  void Run() noexcept;
  void Poll();
  void AnswerMessageBox(HWND box);
  void CloseWindow(HWND window);

  std::vector<Answer> answers_;
  size_t nextAnswer_ = 0;
  HWND hostWindow_;
  std::set<HWND> handled_;  // windows answered that still exist
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tchost
