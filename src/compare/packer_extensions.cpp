#include "compare/packer_extensions.h"

#include "compare/entries.h"
#include "compare/plugin_registrations.h"
#include "tc/tables.h"
#include "tree/vars_conts.h"
#include "util/text_helpers.h"

#include <string>

namespace orvelle {

namespace {

// The flags set in value, ascending, as the capability table's bits.
std::vector<int> SetFlags(long long value) {
  static const std::vector<long long> kBits = [] {
    std::vector<long long> bits;
    for (const PackerCapability& c : kPackerCapabilities) bits.push_back(c.bit);
    return bits;
  }();
  long long known = 0;
  for (long long bit : kBits) known |= bit;
  std::vector<int> flags;
  for (const std::wstring& text : DecomposeFlags(value & known, kBits)) {
    flags.push_back(std::stoi(text));
  }
  return flags;
}

std::wstring CapabilityText(int bit) {
  for (const PackerCapability& c : kPackerCapabilities) {
    if (c.bit == bit) return std::wstring(c.text);
  }
  return {};
}

int FindExtension(const PluginRegistration* r, const std::wstring& ext) {
  if (!r) return -1;
  for (size_t i = 0; i < r->Extensions.size(); ++i) {
    if (r->Extensions[i] == ext) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> CompareCapabilities(bool hasNew,
                                                                      long long newFlags,
                                                                      bool hasMy,
                                                                      long long myFlags) {
  std::vector<int> newSet = hasNew ? SetFlags(newFlags) : std::vector<int>();
  std::vector<int> mySet = hasMy ? SetFlags(myFlags) : std::vector<int>();
  auto contains = [](const std::vector<int>& v, int bit) {
    for (int b : v) {
      if (b == bit) return true;
    }
    return false;
  };
  std::vector<std::pair<std::wstring, std::wstring>> entries;
  for (int bit : newSet) {
    entries.emplace_back(CapabilityText(bit), hasMy && contains(mySet, bit) ? L"=" : L"*");
  }
  for (int bit : mySet) {
    if (!hasNew || !contains(newSet, bit)) entries.emplace_back(CapabilityText(bit), L"!");
  }
  return entries;
}

void AppendPackerExtensions(CompareContext& ctx, int pluginIndex, const PluginRegistration* newReg,
                            const PluginRegistration* myReg) {
  TVirtualTreeItem folder = MakeFolder(pluginIndex, ctx.Tree[pluginIndex].FolderPath(), 1,
                                       texts::kExtensions, ctx.Icons.Get(IconRole::Folder));
  const std::wstring extensionsPath = folder.FolderPath();
  const int extensionsIndex = ctx.Tree.Append(std::move(folder));
  if (extensionsIndex < 0) return;

  // (extension, New's row, My's row), New's extensions first.
  struct Row {
    std::wstring ext;
    int newRow, myRow;
  };
  std::vector<Row> rows;
  if (newReg) {
    for (size_t i = 0; i < newReg->Extensions.size(); ++i) {
      rows.push_back({newReg->Extensions[i], static_cast<int>(i),
                      FindExtension(myReg, newReg->Extensions[i])});
    }
  }
  if (myReg) {
    for (size_t i = 0; i < myReg->Extensions.size(); ++i) {
      if (FindExtension(newReg, myReg->Extensions[i]) < 0) {
        rows.push_back({myReg->Extensions[i], -1, static_cast<int>(i)});
      }
    }
  }

  SignSummary all;
  int order = 0;
  for (const Row& row : rows) {
    if (ctx.Stopped()) return;
    TVirtualTreeItem ext = MakeFolder(extensionsIndex, extensionsPath, order++, row.ext,
                                      ctx.Icons.Get(IconRole::Folder));
    ShortenEntryName(ext);
    const int extIndex = ctx.Tree.Append(std::move(ext));
    if (extIndex < 0) return;
    const std::wstring extPath = ctx.Tree[extIndex].FolderPath();
    const bool hasNew = row.newRow >= 0, hasMy = row.myRow >= 0;
    auto flags = CompareCapabilities(
        hasNew, hasNew ? newReg->Flags[static_cast<size_t>(row.newRow)] : 0, hasMy,
        hasMy ? myReg->Flags[static_cast<size_t>(row.myRow)] : 0);
    SignSummary signs;
    int flagOrder = 0;
    for (const auto& [text, sign] : flags) {
      TVirtualTreeItem entry = MakeEntry(extIndex, extPath, flagOrder++, text,
                                         ctx.Icons.Get(IconRole::Information));
      entry.Status = sign;
      if (ctx.Tree.Append(std::move(entry)) < 0) return;
      signs.Add(sign);
    }
    // No flags on either side: nothing differs. An extension only one side
    // registers differs even when it sets no flag.
    if (signs.Empty()) signs.Add(!hasMy ? L"*" : !hasNew ? L"!" : L"=");
    ctx.Tree[extIndex].Status = signs.Text();
    all.Add(signs);
  }
  ctx.Tree[extensionsIndex].Status = all.Text();
}

}  // namespace orvelle
