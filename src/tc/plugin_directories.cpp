#include "tc/plugin_directories.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/expand_variables.h"
#include "tc/ttc.h"

#include <map>

namespace orvelle {

namespace {

std::wstring MostCommonGrandparent(const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> dirs;
  dirs.reserve(paths.size());
  for (const std::wstring& path : paths) dirs.push_back(GrandparentDirectory(path));
  return MostCommon(dirs);
}

// "c:\tc\plugins\wfx\" -> "c:\tc\plugins\".
std::wstring ParentDirectory(const std::wstring& dir) {
  return platform::ExtractFilePath(platform::ExcludeTrailingBackslash(dir));
}

}  // namespace

std::wstring GrandparentDirectory(const std::wstring& path) {
  std::wstring ownDir = platform::ExtractFilePath(path);
  if (ownDir.empty()) return {};
  return ParentDirectory(ownDir);
}

std::wstring MostCommon(const std::vector<std::wstring>& texts) {
  std::map<std::wstring, size_t> counts;
  for (const std::wstring& text : texts) {
    if (!text.empty()) ++counts[text];
  }
  // Walking in list order keeps a tie with the one met first.
  const std::wstring* best = nullptr;
  size_t bestCount = 0;
  for (const std::wstring& text : texts) {
    if (text.empty()) continue;
    size_t count = counts[text];
    if (count > bestCount) {
      best = &text;
      bestCount = count;
    }
  }
  return best ? *best : std::wstring();
}

bool SettlePluginDirectories(TTC& model) {
  model.PluginRoot.clear();
  model.WfxDir.clear();
  model.WlxDir.clear();
  model.WcxDir.clear();
  model.WdxDir.clear();
  model.AppDir.clear();

  if (!model.ConfigPaths.pluginbasedir.empty()) {
    model.PluginRoot = platform::IncludeTrailingBackslash(
        ConfiguredPath(model, model.ConfigPaths.pluginbasedir));
    model.WfxDir = model.PluginRoot + L"wfx\\";
    model.WlxDir = model.PluginRoot + L"wlx\\";
    model.WcxDir = model.PluginRoot + L"wcx\\";
    model.WdxDir = model.PluginRoot + L"wdx\\";
  } else {
    model.WfxDir = MostCommonGrandparent(model.FsPluginFiles);
    model.WlxDir = MostCommonGrandparent(model.ListerPluginFiles);
    model.WcxDir = MostCommonGrandparent(model.PackerPluginFiles);
    model.WdxDir = MostCommonGrandparent(model.ContentPluginFiles);
    std::vector<std::wstring> roots;
    for (const std::wstring* dir : {&model.WfxDir, &model.WlxDir, &model.WcxDir, &model.WdxDir}) {
      roots.push_back(dir->empty() ? std::wstring() : ParentDirectory(*dir));
    }
    model.PluginRoot = MostCommon(roots);
  }
  if (model.PluginRoot.empty()) {
    model.PluginRoot = platform::LowerCase(model.ProgramDir() + L"Plugins\\");
  }
  if (model.WfxDir.empty()) model.WfxDir = model.PluginRoot + L"wfx\\";
  if (model.WlxDir.empty()) model.WlxDir = model.PluginRoot + L"wlx\\";
  if (model.WcxDir.empty()) model.WcxDir = model.PluginRoot + L"wcx\\";
  if (model.WdxDir.empty()) model.WdxDir = model.PluginRoot + L"wdx\\";

  std::vector<std::wstring> targets;
  for (const std::wstring& path : model.TargetPaths) targets.push_back(platform::LowerCase(path));
  model.AppDir = MostCommonGrandparent(targets);
  if (model.AppDir.empty()) model.AppDir = model.PluginRoot + L"exe\\";
  return true;
}

}  // namespace orvelle
