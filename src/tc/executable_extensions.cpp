#include "tc/executable_extensions.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <algorithm>
#include <string>

namespace orvelle {

bool IsExecutableExtension(std::wstring_view lowerCaseExtension) {
  return std::find(kExecutableExtensions.begin(), kExecutableExtensions.end(),
                   lowerCaseExtension) != kExecutableExtensions.end();
}

bool IsExecutableFileName(std::wstring_view fileName) {
  return IsExecutableExtension(platform::LowerCase(platform::ExtractFileExt(fileName)));
}

}  // namespace orvelle
