#include "e2e/host_process.h"

#include "platform/fs.h"
#include "platform/strings.h"

namespace orvelle::e2e {

namespace {

std::wstring OwnDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return platform::ExtractFilePath(path);
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindHostWindow(HWND window, LPARAM param) noexcept {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (owner != search->processId || std::wstring(name) != L"TTOTAL_CMD") return TRUE;
  search->found = window;
  return FALSE;
}

HWND HostWindowOf(DWORD processId) {
  WindowSearch search{processId, nullptr};
  ::EnumWindows(FindHostWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::wstring HarnessFile() { return OwnDirectory() + ORVELLE_HOST_FILE; }
std::wstring PluginFile() { return OwnDirectory() + ORVELLE_PLUGIN_FILE; }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::vector<std::wstring> HostRun::Entry(const std::wstring& path) const {
  for (const std::wstring& line : lines) {
    std::vector<std::wstring> columns;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find(L'\t', start);
      columns.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
      if (tab == std::wstring::npos) break;
      start = tab + 1;
    }
    if (columns.size() > 1 && columns[0] == path) return columns;
  }
  return {};
}

HostRun RunHost(const std::wstring& program, const std::wstring& commandLine) {
  HostRun run;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  platform::unique_handle reader(readEnd);
  platform::unique_handle writer(writeEnd);
  ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.get();
  startup.hStdError = writer.get();
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
    run.exitCode = 0xFFFFFFFF;
    return run;
  }
  platform::unique_process process(info.hProcess);
  platform::unique_handle thread(info.hThread);
  writer.reset();  // the pipe ends when the child's copy closes

  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(reader.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  ::WaitForSingleObject(process.get(), INFINITE);
  ::GetExitCodeProcess(process.get(), &run.exitCode);
  run.output = platform::WideFromAnsi(bytes, CP_UTF8);
  size_t start = 0;
  while (start < run.output.size()) {
    size_t end = run.output.find(L'\n', start);
    if (end == std::wstring::npos) end = run.output.size();
    std::wstring text = run.output.substr(start, end - start);
    if (!text.empty() && text.back() == L'\r') text.pop_back();
    run.lines.push_back(text);
    start = end + 1;
  }
  return run;
}

IdleHost::IdleHost(const std::wstring& program, const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring line = commandLine;
  if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return;
  }
  process_.reset(info.hProcess);
  ::CloseHandle(info.hThread);
  processId_ = info.dwProcessId;
  // Up once its host window exists: by then its modules and command line can
  // be read. A harness that ends early (a bad command line) never gets there.
  while (::WaitForSingleObject(process_.get(), 50) == WAIT_TIMEOUT) {
    window_ = HostWindowOf(processId_);
    if (window_ != nullptr) return;
  }
}

IdleHost::~IdleHost() {
  if (!process_) return;
  if (window_ != nullptr) ::PostMessageW(window_, WM_CLOSE, 0, 0);
  if (::WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 30000);
  }
}

}  // namespace orvelle::e2e
