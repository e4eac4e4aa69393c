#include "plugin/state.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <vector>

namespace orvelle {

namespace {
// A pointer, not an object with a destructor: at process exit the system
// has already ended the other threads wherever they were (perhaps holding a
// lock of the state), and the C runtime runs the destructors of the
// library's static objects then. The state is only torn down when the
// library is unloaded while the process goes on.
std::unique_ptr<PluginState>& Holder() {
  static auto* state = new std::unique_ptr<PluginState>();
  return *state;
}

std::wstring ModuleFileName(HMODULE module) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  n = ::GetEnvironmentVariableW(name, value.data(), n);
  value.resize(n);
  return value;
}
}  // namespace

void CreateState(HMODULE module) {
  auto state = std::make_unique<PluginState>();
  state->Identity.Module = module;
  state->Identity.PluginFile = ModuleFileName(module);
  state->Identity.PluginDir = platform::ExtractFilePath(state->Identity.PluginFile);
  state->Identity.HostProgramFile = ModuleFileName(nullptr);
  state->Identity.CommanderIniPath = platform::LowerCase(EnvironmentValue(L"COMMANDER_INI"));
  state->Identity.OwnProcessId = ::GetCurrentProcessId();
  Holder() = std::move(state);
}

void DestroyState() {
  if (Holder()) Holder()->Icons.Release();
  texts::ShowTranslation(nullptr);
  Holder().reset();
}

PluginState& State() {
  if (!Holder()) CreateState(nullptr);
  return *Holder();
}

void RequestPanelReread(const PluginState& state) {
  if (state.Host.HostWindow != nullptr) {
    ::PostMessageW(state.Host.HostWindow, host::kHostCommandMessage, host::kRereadSourcePanel, 0);
  }
}

}  // namespace orvelle
