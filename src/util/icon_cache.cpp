// The icons of files, kept alive for the listing until the next comparison.
#include "util/icons.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"
#include "util/pe_resources.h"

#include <shellapi.h>

#include <map>
#include <memory>
#include <mutex>

namespace orvelle {

namespace {

// Icons created for files, by lower-cased path. Destroyed by FreeIconCache
// (a new comparison, the library unloaded); never by a static destructor,
// which would run at process exit after the system ended the other threads.
struct IconCache {
  std::mutex lock;
  std::map<std::wstring, platform::unique_hicon> icons;
  HICON defaultPluginIcon = nullptr;
};

IconCache& Cache() {
  static auto* cache = new IconCache();
  return *cache;
}

bool IsPluginExtension(const std::wstring& fileName) {
  static const wchar_t* const kPluginExtensions[] = {L".wfx",   L".wcx",   L".wdx",   L".wlx",
                                                     L".wfx64", L".wcx64", L".wdx64", L".wlx64"};
  std::wstring ext = platform::LowerCase(platform::ExtractFileExt(fileName));
  for (const wchar_t* known : kPluginExtensions) {
    if (ext == known) return true;
  }
  return false;
}

HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnModule), &module);
  return module;
}

// Whether the system may be asked for the file's icon: not for a PE file,
// whose icons TIconLibrary reads itself (what it did not find, damaged or
// not, is not there), and not for an icon file whose images do not lie
// wholly in it; the system reads both without checking.
bool SystemMayReadIcon(const std::wstring& fileName) {
  // Icon files are small: a larger file is looked at by its start only, and
  // one that looks like an icon file is then not left to the system.
  constexpr uint64_t kLargestIconFile = 16u << 20;
  std::unique_ptr<FileBytes> file = FileBytes::Open(fileName);
  if (!file) return false;
  const bool whole = file->Size() <= kLargestIconFile;
  // Read, not mapped (util/byte_source.h): a read that fails is a file the
  // system is not asked about.
  const std::optional<std::string_view> bytes = file->At(
      0, static_cast<size_t>(whole ? file->Size() : PeResources::kHeadersLimit));
  if (!bytes || PeResources::LooksLikePe(*bytes)) return false;
  if (!LooksLikeIconFile(*bytes)) return true;
  return whole && IconFileIntact(*bytes);
}

HICON LoadFileIcon(const std::wstring& fileName) {
  if (auto library = TIconLibrary::Open(fileName); library && !library->Groups().empty()) {
    if (HICON icon = library->CreateIcon(0)) return icon;
  }
  if (!SystemMayReadIcon(fileName)) return nullptr;
  // ExtractIconW answers 1 for a file that is no program, library or icon
  // file, and null for one without icons.
  HICON icon = ::ExtractIconW(OwnModule(), fileName.c_str(), 0);
  if (reinterpret_cast<ULONG_PTR>(icon) <= 1) return nullptr;
  return icon;
}

}  // namespace

HICON GetFileIcon(const std::wstring& fileName) {
  IconCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  if (platform::FileExists(fileName)) {
    std::wstring key = platform::LowerCase(fileName);
    if (auto found = cache.icons.find(key); found != cache.icons.end()) {
      return found->second.get();
    }
    if (HICON icon = LoadFileIcon(fileName)) {
      cache.icons.emplace(std::move(key), platform::unique_hicon(icon));
      return icon;
    }
  }
  return IsPluginExtension(fileName) ? cache.defaultPluginIcon : nullptr;
}

HICON GetExeIcon(const std::wstring& fileName) {
  if (fileName.size() < 4 || platform::LowerCase(fileName.substr(fileName.size() - 4)) != L".exe") {
    return nullptr;
  }
  return GetFileIcon(fileName);
}

void FreeIconCache() {
  IconCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  cache.icons.clear();
}

void SetDefaultPluginIcon(HICON icon) {
  IconCache& cache = Cache();
  std::lock_guard<std::mutex> guard(cache.lock);
  cache.defaultPluginIcon = icon;
}

}  // namespace orvelle
