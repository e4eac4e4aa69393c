#include "support/process_runner.h"

#include "platform/strings.h"

#include <atomic>
#include <cwchar>
#include <map>

namespace orvelle::test {
namespace {

using platform::unique_handle;
using platform::unique_hfile;

// A copy of the own environment block with the changes applied, sorted by
// name as CreateProcessW expects. Empty when there are no changes: the child
// then inherits the block as it is.
std::wstring EnvironmentBlock(const EnvironmentChanges& changes) {
  if (changes.empty()) return {};
  struct NoCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
      return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
  };
  std::map<std::wstring, std::wstring, NoCase> vars;
  std::vector<std::wstring> driveEntries;  // "=C:=C:\dir": kept first, as they are
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* p = block; p != nullptr && *p != L'\0'; p += std::wcslen(p) + 1) {
    std::wstring entry = p;
    size_t eq = entry.find(L'=', 1);
    if (entry[0] == L'=' || eq == std::wstring::npos) {
      driveEntries.push_back(entry);
    } else {
      vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
  }
  if (block != nullptr) ::FreeEnvironmentStringsW(block);
  for (const auto& [name, value] : changes) {
    if (value.empty()) {
      vars.erase(name);
    } else {
      vars[name] = value;
    }
  }
  std::wstring out;
  for (const std::wstring& e : driveEntries) out += e + L'\0';
  for (const auto& [name, value] : vars) out += name + L'=' + value + L'\0';
  out += L'\0';
  return out;
}

unique_hfile OpenNul(DWORD access) {
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  return unique_hfile(::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                    OPEN_EXISTING, 0, nullptr));
}

std::wstring Win32Error(const wchar_t* api) {
  return std::wstring(api) + L" failed with error " + std::to_wstring(::GetLastError());
}

struct Launch {
  unique_handle process;
  DWORD id = 0;
};

// CreateProcessW with the given standard handles (inherited by the child).
std::optional<Launch> CreateChild(const std::wstring& commandLine, const std::wstring& workingDir,
                                  const EnvironmentChanges& environment, HANDLE in, HANDLE out,
                                  HANDLE err, std::wstring& error) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
  std::wstring env = EnvironmentBlock(environment);
  if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT,
                        env.empty() ? nullptr : env.data(),
                        workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi)) {
    error = Win32Error(L"CreateProcessW") + L": " + commandLine;
    return std::nullopt;
  }
  ::CloseHandle(pi.hThread);
  return Launch{unique_handle(pi.hProcess), pi.dwProcessId};
}

// Reads a pipe to its end on a thread of its own, so that a child filling
// one stream never blocks on the other.
class PipeReader {
 public:
  explicit PipeReader(HANDLE pipe) : pipe_(pipe) {
    thread_.reset(::CreateThread(nullptr, 0, &PipeReader::Run, this, 0, nullptr));
  }
  ~PipeReader() { Finish(INFINITE); }

  // Waits for the end of the stream. A grandchild that inherited the pipe
  // can keep it open after the child ended; after `timeoutMs` the read is
  // cancelled and what arrived so far is kept.
  std::string Finish(DWORD timeoutMs) {
    if (thread_) {
      if (::WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_TIMEOUT) {
        stop_ = true;
        // Repeated: a cancel that comes before the thread enters ReadFile is lost.
        while (::WaitForSingleObject(thread_.get(), 100) == WAIT_TIMEOUT) {
          ::CancelSynchronousIo(thread_.get());
        }
      }
      thread_.reset();
    }
    return std::move(data_);
  }

 private:
  static DWORD WINAPI Run(void* param) noexcept {
    auto* self = static_cast<PipeReader*>(param);
    try {
      char buffer[4096];
      DWORD read = 0;
      while (!self->stop_ && ::ReadFile(self->pipe_.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        self->data_.append(buffer, read);
      }
    } catch (...) {
    }
    return 0;
  }

  unique_hfile pipe_;
  std::atomic<bool> stop_{false};
  unique_handle thread_;
  std::string data_;
};

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) noexcept {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
  if (pid == search->processId && std::wcscmp(name, search->className) == 0) {
    try {
      search->found.push_back(window);
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className) {
  WindowSearch search{processId, className, {}};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring Utf8ToWide(const std::string& bytes) {
  return platform::WideFromAnsi(bytes, CP_UTF8);
}

}  // namespace

std::vector<std::wstring> ProcessResult::OutLines() const {
  std::wstring text = OutText();
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::wstring ProcessResult::OutText() const { return Utf8ToWide(out); }
std::wstring ProcessResult::ErrText() const {
  return error.empty() ? Utf8ToWide(err) : Utf8ToWide(err) + L"\n" + error;
}

ProcessResult RunProcess(const std::wstring& commandLine, const std::wstring& workingDir,
                         DWORD timeoutMs, const EnvironmentChanges& environment) {
  ProcessResult result;
  SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!::CreatePipe(&outRead, &outWrite, &sa, 0)) {
    result.error = Win32Error(L"CreatePipe");
    return result;
  }
  unique_hfile outReadOwner(outRead), outWriteOwner(outWrite);
  if (!::CreatePipe(&errRead, &errWrite, &sa, 0)) {
    result.error = Win32Error(L"CreatePipe");
    return result;
  }
  unique_hfile errReadOwner(errRead), errWriteOwner(errWrite);
  // The reading ends stay with the test.
  ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  unique_hfile nul = OpenNul(GENERIC_READ);

  std::optional<Launch> child = CreateChild(commandLine, workingDir, environment, nul.get(),
                                            outWrite, errWrite, result.error);
  // The child holds its own copies of the writing ends; the streams end when
  // it (and whatever inherited them) ends.
  outWriteOwner.reset();
  errWriteOwner.reset();
  if (!child) return result;
  result.started = true;

  PipeReader outReader(outReadOwner.release());
  PipeReader errReader(errReadOwner.release());
  if (::WaitForSingleObject(child->process.get(), timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    result.error = L"timed out after " + std::to_wstring(timeoutMs) + L" ms: " + commandLine;
    ::TerminateProcess(child->process.get(), 0xDEAD);
    ::WaitForSingleObject(child->process.get(), 10000);
  }
  ::GetExitCodeProcess(child->process.get(), &result.exitCode);
  constexpr DWORD kDrainMs = 10000;
  result.out = outReader.Finish(kDrainMs);
  result.err = errReader.Finish(kDrainMs);
  return result;
}

BackgroundProcess& BackgroundProcess::operator=(BackgroundProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    process_ = std::move(other.process_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

BackgroundProcess::~BackgroundProcess() { Stop(); }

std::optional<BackgroundProcess> BackgroundProcess::Start(const std::wstring& commandLine,
                                                          const std::wstring& workingDir,
                                                          std::wstring& error,
                                                          const EnvironmentChanges& environment) {
  unique_hfile in = OpenNul(GENERIC_READ);
  unique_hfile out = OpenNul(GENERIC_WRITE);
  std::optional<Launch> child =
      CreateChild(commandLine, workingDir, environment, in.get(), out.get(), out.get(), error);
  if (!child) return std::nullopt;
  BackgroundProcess p;
  p.process_ = std::move(child->process);
  p.id_ = child->id;
  return p;
}

bool BackgroundProcess::Running() const {
  return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool BackgroundProcess::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
  ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  while (Running()) {
    if (!WindowsOf(id_, className).empty()) return true;
    if (::GetTickCount64() >= deadline) return false;
    ::Sleep(50);
  }
  return false;
}

std::optional<DWORD> BackgroundProcess::Stop(DWORD timeoutMs) {
  if (!process_) return std::nullopt;
  std::optional<DWORD> exitCode;
  if (Running()) {
    for (HWND window : WindowsOf(id_, L"TTOTAL_CMD")) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_.get(), 0xDEAD);
      ::WaitForSingleObject(process_.get(), 10000);
    } else {
      DWORD code = 0;
      if (::GetExitCodeProcess(process_.get(), &code)) exitCode = code;
    }
  } else {
    DWORD code = 0;
    if (::GetExitCodeProcess(process_.get(), &code)) exitCode = code;
  }
  process_.reset();
  id_ = 0;
  return exitCode;
}

std::wstring QuoteArg(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace orvelle::test
