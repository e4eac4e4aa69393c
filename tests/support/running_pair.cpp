#include "support/running_pair.h"

#include "platform/fs.h"
#include "support/fixture_pair.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvelle::test {

namespace {
const wchar_t* PluginFileName() { return sizeof(void*) == 8 ? L"Orvelle.wfx64" : L"Orvelle.wfx"; }
}  // namespace

RunningPair::RunningPair(const PairLayout& layout)
    : my_(root_ / layout.myName), new_(root_ / layout.newName) {
  PreparePairInstallation(L"my", my_);
  PreparePairInstallation(L"new", new_);
  if (layout.change) layout.change(my_, new_);
  plugin_ = my_ + L"\\plugins\\wfx\\Orvelle\\" + PluginFileName();
  CreateDirectories(platform::ExtractFileDir(plugin_));
  if (!::CopyFileW(BuiltFile(PluginFileName()).c_str(), plugin_.c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy the plugin";
    return;
  }
  // The language files go with it, as the installer puts them.
  const std::filesystem::path built = BuiltFile(PluginFileName());
  for (const auto& file : std::filesystem::directory_iterator(built.parent_path())) {
    const std::wstring name = file.path().filename().wstring();
    if (name.rfind(L"Orvelle_", 0) == 0 && file.path().extension() == L".lng") {
      std::filesystem::copy_file(file.path(), platform::ExtractFilePath(plugin_) + name,
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
  std::wstring error;
  auto idle = BackgroundProcess::Start(QuoteArg(new_ + L"\\totalcmd.exe") + L" /i=" +
                                           QuoteArg(new_ + L"\\wincmd.ini") + L" --idle 600",
                                       {}, error);
  if (!idle) {
    ADD_FAILURE() << "cannot start the New installation: " << error;
    return;
  }
  idle_ = std::move(*idle);
  ready_ = idle_.WaitForWindow();
  EXPECT_TRUE(ready_) << "the New installation shows no window";
}

ProcessResult RunningPair::RunMy(const std::wstring& arguments, DWORD timeoutMs) const {
  return RunProcess(QuoteArg(my_ + L"\\totalcmd.exe") + L" --plugin " + QuoteArg(plugin_) + L" " +
                        arguments,
                    {}, timeoutMs);
}

}  // namespace orvelle::test
