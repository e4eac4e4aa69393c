#include "tc/executable_extensions.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <algorithm>
#include <string>

namespace orvelle {

bool IsExecutableFileName(std::wstring_view fileName) {
  std::wstring ext = platform::LowerCase(platform::ExtractFileExt(fileName));
  return std::find(kExecutableExtensions.begin(), kExecutableExtensions.end(), ext) !=
         kExecutableExtensions.end();
}

}  // namespace orvelle
