#include "compare/same_file.h"

#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/ttc.h"

#include "platform/strings.h"

namespace orvelle {

bool IsSameFile(const std::wstring& newFile, const std::wstring& myFile) {
  return !newFile.empty() && platform::EqualsNoCase(newFile, myFile);
}

std::wstring SameFileWarning(const TTC& my, const std::wstring& file) {
  const std::wstring programDir = platform::LowerCase(my.ProgramDir());
  const bool mine = !programDir.empty() && platform::LowerCase(file).starts_with(programDir);
  return std::wstring(Tr(texts::kSameFile)) + L" [" +
         (mine ? Tr(texts::kMySide) : Tr(texts::kNewSide)) + L"]";
}

}  // namespace orvelle
