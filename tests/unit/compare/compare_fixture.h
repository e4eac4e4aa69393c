// Two in-memory installation models, an empty tree holding the installation
// folder, and the context the comparison steps work in; plus small file
// helpers for the directories the steps compare.
#pragma once

#include "compare/compare_context.h"
#include "support/temp_dir.h"
#include "tc/ttc.h"

#include "platform/fs.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace orvelle::test {

class CompareFixture {
 public:
  static constexpr wchar_t kInst[] = L"TOTALCMD.EXE";

  CompareFixture()
      : my_(temp_ / L"my\\TOTALCMD.EXE"),
        new_(temp_ / L"new\\TOTALCMD.EXE"),
        ctx_{tree_, my_, new_, progress_, icons_, kInst, -1, {}} {
    ::CreateDirectoryW((temp_ / L"my").c_str(), nullptr);
    ::CreateDirectoryW((temp_ / L"new").c_str(), nullptr);
    TVirtualTreeItem inst;
    inst.Order = 0;
    inst.ParentIndex = -1;
    inst.IsFolder = true;
    inst.Name = kInst;
    inst.Path = L"\\";
    ctx_.InstIndex = tree_.Append(inst);
  }

  CompareContext& Ctx() { return ctx_; }
  VirtualTree& Tree() { return tree_; }
  TTC& My() { return my_; }
  TTC& New() { return new_; }
  ProgressState& Progress() { return progress_; }

  // A file below the temp folder ("new\plugins\a\a.wfx"), its folders made;
  // returns its full path, lower-cased as the model keeps plugin paths.
  std::wstring File(std::wstring_view relative, std::string_view content = "x",
                    bool lowerCase = true) {
    std::wstring full = temp_ / relative;
    WriteBytes(full, content);
    return lowerCase ? Lower(full) : full;
  }
  std::wstring Dir(std::wstring_view relative) {
    std::wstring full = temp_ / relative;
    CreateDirectories(full);
    return full + L"\\";
  }
  std::wstring Path(std::wstring_view relative) const { return temp_ / relative; }

  // The entry at a virtual path ("\TOTALCMD.EXE\Plugins\WFX\ftp"); fails the
  // test when it is missing.
  const TVirtualTreeItem& At(const std::wstring& path);
  bool Has(const std::wstring& path) { return tree_.FindTreeItem(path) >= 0; }
  // The entries of a folder in listing order, each as "name|status".
  std::vector<std::wstring> Listing(const std::wstring& folderPath) const;

  static std::wstring Lower(std::wstring s);

 private:
  TempDir temp_;
  VirtualTree tree_;
  TTC my_, new_;
  ProgressState progress_;
  SharedIcons icons_;
  CompareContext ctx_;
};

// The installation folder's path and a few group paths.
inline const std::wstring kInstPath = L"\\TOTALCMD.EXE\\";
inline const std::wstring kWfxPath = kInstPath + L"Plugins\\WFX\\";
inline const std::wstring kWcxPath = kInstPath + L"Plugins\\WCX\\";
inline const std::wstring kWlxPath = kInstPath + L"Plugins\\WLX\\";
inline const std::wstring kWdxPath = kInstPath + L"Plugins\\WDX\\";
inline const std::wstring kAppsPath = kInstPath + L"Applications\\";

}  // namespace orvelle::test
