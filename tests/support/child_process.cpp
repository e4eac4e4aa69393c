#include "support/child_process.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <vector>

namespace orvelle::test {

namespace {

const wchar_t kChildFlag[] = L"--orvelle-child";

std::wstring OwnPath() {
  std::vector<wchar_t> path(32768);
  DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  return std::wstring(path.data(), n);
}

}  // namespace

std::optional<int> RunChildModeIfAsked(int argc, wchar_t** argv) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::wcscmp(argv[i], kChildFlag) != 0) continue;
    platform::unique_handle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[i + 1]));
    if (ready) ::SetEvent(ready.get());
    ::Sleep(60 * 1000);
    return 0;
  }
  return std::nullopt;
}

std::wstring TestChild::SelfCommandLine(const std::wstring& arguments) {
  return L"\"" + OwnPath() + L"\" " + arguments;
}

TestChild::TestChild(const std::wstring& arguments) {
  static std::atomic<unsigned> counter{0};
  std::wstring eventName = L"orvelle-test-child-" + std::to_wstring(::GetCurrentProcessId()) +
                           L"-" + std::to_wstring(counter++);
  platform::unique_handle ready(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
  commandLine_ = SelfCommandLine(arguments) + L" " + kChildFlag + L" " + eventName;
  if (!ready || !Start(OwnPath(), 0)) return;
  HANDLE waits[] = {ready.get(), process_.get()};
  if (::WaitForMultipleObjects(2, waits, FALSE, 30 * 1000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.get(), 1);
    process_.reset();
  }
}

TestChild::TestChild(const std::wstring& program, const std::wstring& commandLine,
                     bool suspended)
    : commandLine_(commandLine) {
  Start(program, suspended ? CREATE_SUSPENDED : 0);
}

TestChild::~TestChild() {
  if (process_) {
    ::TerminateProcess(process_.get(), 0);
    ::WaitForSingleObject(process_.get(), 10 * 1000);
  }
}

bool TestChild::Start(const std::wstring& program, DWORD flags) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::vector<wchar_t> line(commandLine_.begin(), commandLine_.end());
  line.push_back(L'\0');
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE,
                        flags | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  process_.reset(info.hProcess);
  thread_.reset(info.hThread);
  return true;
}

}  // namespace orvelle::test
