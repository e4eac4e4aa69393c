#include "operations/shared_registration.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"

namespace orvelle {

namespace {

constexpr ItemKind kPluginKinds[] = {ItemKind::FileSystemPlugin, ItemKind::PackerPlugin,
                                     ItemKind::ListerPlugin, ItemKind::ContentPlugin};

// "x.wfx" <-> "x.wfx64", lower-cased.
std::wstring LowerTwinOf(const std::wstring& lower) {
  if (lower.size() > 2 && lower.ends_with(L"64")) return lower.substr(0, lower.size() - 2);
  return lower + L"64";
}

bool IsOrInside(const std::wstring& lowerFile, const std::wstring& lowerMove) {
  return lowerFile == lowerMove || lowerFile.starts_with(lowerMove + L"\\");
}

}  // namespace

bool OtherKindRegistersMovedFiles(const TTC& my, const DeletePlan& plan) {
  std::vector<std::wstring> moves;
  for (const std::wstring& move : plan.Moves) {
    moves.push_back(platform::LowerCase(platform::ExcludeTrailingBackslash(move)));
  }
  for (ItemKind kind : kPluginKinds) {
    if (kind == plan.Kind) continue;
    for (const std::wstring& file : *PluginFilesOf(my, kind)) {
      if (file.empty()) continue;
      const std::wstring lower = platform::LowerCase(file);
      for (const std::wstring& move : moves) {
        if (IsOrInside(lower, move) || IsOrInside(LowerTwinOf(lower), move)) return true;
      }
    }
  }
  return false;
}

void KeepFilesAnotherKindRegisters(const TTC& my, DeletePlan& plan) {
  if (!IsPluginKind(plan.Kind) || plan.Moves.empty()) return;
  if (!OtherKindRegistersMovedFiles(my, plan)) return;
  plan.Moves.clear();
  plan.WholeDirectory = false;
  plan.FilesKept = true;
}

}  // namespace orvelle
