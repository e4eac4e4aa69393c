#include "tc/icon_readers.h"

#include "platform/fs.h"
#include "tc/ttc.h"
#include "util/digest.h"
#include "util/icons.h"
#include "util/text_file.h"
#include "util/text_helpers.h"
#include "util/version_info.h"

#include <climits>
#include <optional>

namespace orvelle {

namespace {

// Appends one icon and fingerprint per group of the library.
void TakeIcons(const TIconLibrary& library, std::vector<platform::unique_hicon>& handles,
               std::vector<uint32_t>& fingerprints) {
  for (size_t i = 0; i < library.Groups().size(); ++i) {
    handles.emplace_back(library.CreateIcon(i));
    fingerprints.push_back(library.Groups()[i].fingerprint);
  }
}

}  // namespace

void ParseIconIndexes(const std::vector<std::wstring>& lines, TTC& model) {
  model.IconNumbers.clear();
  model.IconIndexes.clear();
  for (const std::wstring& raw : lines) {
    std::wstring line = RemoveBlanks(raw);
    if (line.empty() || line[0] == L';') continue;
    size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) continue;
    long long number = 0, index = 0;
    if (!ParseDecimal(std::wstring_view(line).substr(0, eq), number, INT_MIN, INT_MAX) ||
        !ParseDecimal(std::wstring_view(line).substr(eq + 1), index, INT_MIN, INT_MAX)) {
      continue;
    }
    model.IconNumbers.push_back(static_cast<int>(number));
    model.IconIndexes.push_back(static_cast<int>(index));
  }
}

bool ReadIconIndexes(TTC& model) {
  std::wstring file = model.ProgramDir() + L"WCMICONS.INC";
  std::optional<TextDocument> doc;
  if (platform::FileExists(file)) doc = LoadTextFile(file);
  ParseIconIndexes(doc ? doc->lines : std::vector<std::wstring>(), model);
  return true;
}

bool ReadIconLibraries(TTC& model) {
  model.MainIcon = nullptr;
  model.IconLibHandles.clear();
  model.IconLibFingerprints.clear();
  model.WcmIconHandles.clear();
  model.WcmIconFingerprints.clear();

  std::optional<TIconLibrary> library;
  const std::wstring& configured = model.ConfigPaths.iconlib;
  if (!configured.empty() && platform::FileExists(configured)) {
    library = TIconLibrary::Open(configured);
  }
  if (!library) library = TIconLibrary::Open(model.ExeFile);
  if (library) TakeIcons(*library, model.IconLibHandles, model.IconLibFingerprints);
  if (!model.IconLibHandles.empty()) model.MainIcon = model.IconLibHandles.front().get();

  if (std::optional<TIconLibrary> wcm = TIconLibrary::Open(model.ProgramDir() + L"WCMICONS.DLL")) {
    TakeIcons(*wcm, model.WcmIconHandles, model.WcmIconFingerprints);
  }
  return true;
}

bool ReadProgramIdentity(TTC& model) {
  model.ProgramVersion.clear();
  if (std::optional<TPJVersionInfo> info = ReadVersionInfo(model.ExeFile)) {
    model.ProgramVersion =
        info->fileVersionText.empty() ? info->productVersionText : info->fileVersionText;
  }
  model.ProgramDigest = FileMD5(model.ExeFile);
  return true;
}

}  // namespace orvelle
