#include "compare/entries.h"

#include "platform/fs.h"
#include "util/icons.h"

namespace orvelle {

TVirtualTreeItem MakeEntry(int parent, const std::wstring& path, int order, std::wstring name,
                           HICON icon) {
  TVirtualTreeItem item;
  item.ParentIndex = parent;
  item.Path = path;
  item.Order = order;
  item.Name = std::move(name);
  item.Icon = icon;
  return item;
}

TVirtualTreeItem MakeFolder(int parent, const std::wstring& path, int order, std::wstring name,
                            HICON icon) {
  TVirtualTreeItem item = MakeEntry(parent, path, order, std::move(name), icon);
  item.IsFolder = true;
  return item;
}

std::wstring VerdictInfo(const FileVerdict& verdict) {
  if (verdict.sign.empty() || verdict.sign == L"=") return {};
  return verdict.detailA + L" " + verdict.sign + L" " + verdict.detailB;
}

TVirtualTreeItem MakeFileEntry(int parent, const std::wstring& path, int order, std::wstring name,
                               const std::wstring& newFile, const std::wstring& myFile,
                               const FileVerdict* verdict) {
  TVirtualTreeItem item = MakeEntry(parent, path, order, std::move(name), nullptr);
  item.HasFiles = true;
  item.NewFile = newFile;
  item.MyFile = myFile;
  if (!newFile.empty() && !myFile.empty()) {
    const FileVerdict read = verdict ? FileVerdict{} : CompareFiles(newFile, myFile);
    const FileVerdict& v = verdict ? *verdict : read;
    item.Status = v.sign;
    item.Info = VerdictInfo(v);
  } else {
    item.Status = newFile.empty() ? L"!" : L"*";
  }
  const std::wstring& shown = newFile.empty() ? myFile : newFile;
  if (auto entry = platform::GetFileEntry(shown)) {
    item.SizeHigh = static_cast<uint32_t>(entry->size >> 32);
    item.SizeLow = static_cast<uint32_t>(entry->size);
    item.Attributes = entry->attributes;
  }
  item.Icon = GetExeIcon(shown);
  return item;
}

}  // namespace orvelle
