#include "plugin/tables.h"

#include <algorithm>

namespace orvelle {

bool IsExecutableExtension(std::wstring_view lowerCaseExtension) {
  return std::find(kExecutableExtensions.begin(), kExecutableExtensions.end(),
                   lowerCaseExtension) != kExecutableExtensions.end();
}

}  // namespace orvelle
