// The internal commands of the two programs by category, and their icons
// compared position by position.
#include "compare/entries.h"
#include "compare/run_comparison.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/ttc.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <unordered_map>
#include <vector>

namespace orvelle {

namespace {

// Lower-cased name -> first index in the list.
std::unordered_map<std::wstring, size_t> IndexByName(const std::vector<std::wstring>& names) {
  std::unordered_map<std::wstring, size_t> index;
  for (size_t i = 0; i < names.size(); ++i) index.try_emplace(platform::LowerCase(names[i]), i);
  return index;
}

std::optional<int> ParseNumber(const std::wstring& text) {
  std::wstring t = platform::Trim(text);
  if (t.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  long value = std::wcstol(t.c_str(), &end, 10);
  if (end == nullptr || *end != L'\0') return std::nullopt;
  return static_cast<int>(value);
}

// Where the entries of one category go, and what they sum up to.
struct CategoryFolder {
  int index = -1;
  std::wstring path;
  int nextOrder = 0;
  SignSummary summary;
};

class CommandComparison {
 public:
  explicit CommandComparison(CompareContext& ctx) : ctx_(ctx), my_(ctx.My), new_(ctx.New) {}

  void Run() {
    const std::wstring commandsPath = ctx_.Tree[ctx_.Folders.Commands].FolderPath();
    std::vector<std::wstring> categories = new_.CommandCategories;
    std::vector<int> myCategory = PointMyCommandsAt(categories);
    if (!MakeCategoryFolders(categories, commandsPath)) return;
    // Commands whose category is not in the list stay in the Commands folder
    // itself, after the category folders.
    fallback_.index = ctx_.Folders.Commands;
    fallback_.path = commandsPath;
    fallback_.nextOrder = static_cast<int>(categories.size());

    BuildIconMapping();
    const auto myByName = IndexByName(my_.CommandNames);
    for (size_t i = 0; i < new_.CommandNames.size(); ++i) {
      auto my = myByName.find(platform::LowerCase(new_.CommandNames[i]));
      std::optional<size_t> myIndex;
      if (my != myByName.end()) myIndex = my->second;
      if (!AddNewCommand(i, myIndex)) return;
    }
    const auto newByName = IndexByName(new_.CommandNames);
    for (size_t j = 0; j < my_.CommandNames.size(); ++j) {
      if (newByName.count(platform::LowerCase(my_.CommandNames[j])) != 0) continue;
      if (!AddMyCommand(j, myCategory[j])) return;
    }

    for (CategoryFolder& folder : folders_) ctx_.Tree[folder.index].Status = folder.summary.Text();
    ctx_.Tree[ctx_.Folders.Commands].Status = commandsSummary_.Text();
  }

 private:
  static std::optional<size_t> CategoryIndex(const TTC& model, size_t command) {
    if (command >= model.CommandCategoryOf.size()) return std::nullopt;
    int k = model.CommandCategoryOf[command];
    if (k < 0 || static_cast<size_t>(k) >= model.CommandCategories.size()) return std::nullopt;
    return static_cast<size_t>(k);
  }

  // My commands that the New program lacks get the New category of the same
  // name, appended when the New list has none: categories only My program
  // knows get folders too. Per My command: its category position, -1 none.
  std::vector<int> PointMyCommandsAt(std::vector<std::wstring>& categories) const {
    std::vector<int> myCategory(my_.CommandNames.size(), -1);
    const auto newByName = IndexByName(new_.CommandNames);
    for (size_t j = 0; j < my_.CommandNames.size(); ++j) {
      if (newByName.count(platform::LowerCase(my_.CommandNames[j])) != 0) continue;
      std::optional<size_t> k = CategoryIndex(my_, j);
      if (!k) continue;
      const std::wstring& name = my_.CommandCategories[*k];
      size_t pos = 0;
      while (pos < categories.size() && !platform::EqualsNoCase(categories[pos], name)) ++pos;
      if (pos == categories.size()) categories.push_back(name);
      myCategory[j] = static_cast<int>(pos);
    }
    return myCategory;
  }

  bool MakeCategoryFolders(const std::vector<std::wstring>& categories,
                           const std::wstring& commandsPath) {
    const HICON folderIcon = ctx_.Icons.Get(IconRole::Folder);
    folders_.resize(categories.size());
    for (size_t k = 0; k < categories.size(); ++k) {
      if (ctx_.Stopped()) return false;
      CategoryFolder& folder = folders_[k];
      folder.index = ctx_.Tree.Append(MakeFolder(ctx_.Folders.Commands, commandsPath,
                                                 static_cast<int>(k), categories[k], folderIcon));
      if (folder.index < 0) return false;
      folder.path = ctx_.Tree[folder.index].FolderPath();
    }
    return true;
  }

  void BuildIconMapping() {
    if (!platform::FileExists(new_.ProgramDir() + texts::kWcmIconsInc)) return;
    size_t n = std::min(new_.IconNumbers.size(), new_.IconIndexes.size());
    for (size_t k = 0; k < n; ++k) iconOfNumber_.try_emplace(new_.IconNumbers[k], new_.IconIndexes[k]);
  }

  HICON NewCommandIcon(const std::wstring& number) const {
    if (std::optional<int> n = ParseNumber(number)) {
      auto it = iconOfNumber_.find(*n);
      if (it != iconOfNumber_.end() && it->second >= 0 &&
          static_cast<size_t>(it->second) < new_.WcmIconHandles.size()) {
        return new_.WcmIconHandles[static_cast<size_t>(it->second)].get();
      }
    }
    return ctx_.Icons.Get(IconRole::Command);
  }

  CategoryFolder& FolderOf(std::optional<size_t> category) {
    if (category && *category < folders_.size()) return folders_[*category];
    return fallback_;
  }

  static std::wstring CommandText(const TTC& model, size_t i) {
    return model.CommandNumbers[i] + L": " + model.CommandDescriptions[i];
  }

  bool Add(CategoryFolder& folder, const std::wstring& name, TVirtualTreeItem item) {
    SetProgressTitle(ctx_.Progress, std::wstring(Tr(texts::kProgressCommands)) + L": " + name);
    if (ctx_.Stopped()) return false;
    item.ParentIndex = folder.index;
    item.Path = folder.path;
    item.Order = folder.nextOrder++;
    item.IsFolder = false;
    item.CommandEntry = true;
    item.TextTitle = texts::kCommands;
    item.TextDescription = name;
    item.TextStatus = item.Status;
    folder.summary.Add(item.Status);
    commandsSummary_.Add(item.Status);
    return ctx_.Tree.Append(std::move(item)) >= 0;
  }

  bool AddNewCommand(size_t i, std::optional<size_t> my) {
    const std::wstring& name = new_.CommandNames[i];
    const std::wstring& number = new_.CommandNumbers[i];
    TVirtualTreeItem item;
    item.Name = name + L"." + number;
    item.Icon = NewCommandIcon(number);
    item.Info = new_.CommandDescriptions[i];
    item.NewText = CommandText(new_, i);
    if (my) {
      item.Status = my_.CommandNumbers[*my] == number ? L"=" : L"<>";
      item.MyText = CommandText(my_, *my);
    } else {
      item.Status = L"*";
    }
    return Add(FolderOf(CategoryIndex(new_, i)), name, std::move(item));
  }

  bool AddMyCommand(size_t j, int category) {
    const std::wstring& name = my_.CommandNames[j];
    TVirtualTreeItem item;
    item.Name = name + L"." + my_.CommandNumbers[j];
    item.Icon = ctx_.Icons.Get(IconRole::Command);
    item.Info = my_.CommandDescriptions[j];
    item.MyText = CommandText(my_, j);
    item.Status = L"!";
    std::optional<size_t> k;
    if (category >= 0) k = static_cast<size_t>(category);
    return Add(FolderOf(k), name, std::move(item));
  }

  CompareContext& ctx_;
  const TTC& my_;
  const TTC& new_;
  std::vector<CategoryFolder> folders_;
  CategoryFolder fallback_;
  SignSummary commandsSummary_;
  std::unordered_map<int, int> iconOfNumber_;
};

// One icon folder: position by position, fingerprints decide.
bool CompareIconList(CompareContext& ctx, int folderIndex,
                     const std::vector<platform::unique_hicon>& newHandles,
                     const std::vector<uint32_t>& newPrints,
                     const std::vector<platform::unique_hicon>& myHandles,
                     const std::vector<uint32_t>& myPrints) {
  const std::wstring path = ctx.Tree[folderIndex].FolderPath();
  const size_t newCount = std::min(newHandles.size(), newPrints.size());
  const size_t myCount = std::min(myHandles.size(), myPrints.size());
  SignSummary summary;
  for (size_t i = 0; i < std::max(newCount, myCount); ++i) {
    std::wstring name = std::to_wstring(i + 1) + texts::kIconExtension;
    SetProgressTitle(ctx.Progress, std::wstring(Tr(texts::kProgressIcons)) + L": " + name);
    if (ctx.Stopped()) return false;
    bool inNew = i < newCount;
    TVirtualTreeItem item = MakeEntry(folderIndex, path, static_cast<int>(i), std::move(name),
                                      inNew ? newHandles[i].get() : myHandles[i].get());
    if (!inNew) {
      item.Status = L"!";
    } else if (i < myCount) {
      item.Status = newPrints[i] == myPrints[i] ? L"=" : L"<>";
    } else {
      item.Status = L"*";
    }
    summary.Add(item.Status);
    if (ctx.Tree.Append(std::move(item)) < 0) return false;
  }
  ctx.Tree[folderIndex].Status = summary.Text();
  return true;
}

}  // namespace

void CompareCommands(CompareContext& ctx) {
  if (ctx.Stopped() || ctx.Folders.Commands < 0) return;
  SetProgressTitle(ctx.Progress, Tr(texts::kProgressCommands));
  // Without a side's command list every command would look added or
  // removed: the folder says what is missing instead.
  const std::wstring commandsPath = ctx.Tree[ctx.Folders.Commands].FolderPath();
  std::wstring missing;
  for (const TTC* model : {&ctx.New, &ctx.My}) {
    if (model->MissingCommandList.empty()) continue;
    const std::wstring text =
        std::wstring(Tr(texts::kFileMissing)) + L" " + model->MissingCommandList;
    AddNoticeEntry(ctx.Tree, commandsPath, text, MessageKind::Error, ctx.Icons.Get(IconRole::Error));
    missing += (missing.empty() ? L"" : L" ") + text;
  }
  if (!missing.empty()) {
    ctx.Tree[ctx.Folders.Commands].Status = L"<>";
    ctx.Tree[ctx.Folders.Commands].Info = missing;
    return;
  }
  CommandComparison(ctx).Run();
}

void CompareIcons(CompareContext& ctx) {
  if (ctx.Stopped() || ctx.Folders.IconSource < 0) return;
  SetProgressTitle(ctx.Progress, Tr(texts::kProgressIcons));
  if (!CompareIconList(ctx, ctx.Folders.IconSource, ctx.New.IconLibHandles,
                       ctx.New.IconLibFingerprints, ctx.My.IconLibHandles,
                       ctx.My.IconLibFingerprints)) {
    return;
  }
  if (ctx.Folders.WcmIcons >= 0 &&
      !CompareIconList(ctx, ctx.Folders.WcmIcons, ctx.New.WcmIconHandles,
                       ctx.New.WcmIconFingerprints, ctx.My.WcmIconHandles,
                       ctx.My.WcmIconFingerprints)) {
    return;
  }
  ctx.Tree[ctx.Folders.Icons].Status =
      GroupSummary(ctx.Tree, ctx.Tree[ctx.Folders.Icons].FolderPath());
}

}  // namespace orvelle
