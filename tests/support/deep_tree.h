// Folder trees nested hundreds of levels deep (under Wine every step of a
// deep path costs a lookup, so far deeper trees take minutes), and running
// code on a thread with a small stack: a walk that recursed once per level
// would overflow it.
#pragma once

#include "platform/fs.h"

#include <windows.h>

#include <functional>
#include <string>

namespace orvelle::test {

// Makes root\d\d\...\d (levels folders below root) and returns the deepest.
inline std::wstring MakeDeepTree(const std::wstring& root, int levels) {
  std::wstring dir = root;
  platform::MakeDirectory(dir);
  for (int i = 0; i < levels; ++i) {
    dir += L"\\d";
    if (!platform::MakeDirectory(dir)) return {};
  }
  return dir;
}

// Runs body on a new thread with a stack of stackBytes and waits for it.
inline void RunOnSmallStack(const std::function<void()>& body, SIZE_T stackBytes = 128 * 1024) {
  struct Call {
    static DWORD WINAPI Run(void* context) {
      (*static_cast<const std::function<void()>*>(context))();
      return 0;
    }
  };
  HANDLE thread = ::CreateThread(nullptr, stackBytes, &Call::Run,
                                 const_cast<std::function<void()>*>(&body),
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) {
    body();
    return;
  }
  ::WaitForSingleObject(thread, INFINITE);
  ::CloseHandle(thread);
}

}  // namespace orvelle::test
