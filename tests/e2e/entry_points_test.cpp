// The plugin's entry points as the host's process sees them: loaded into
// this process, called with what a careless or older host may pass (null
// pointers, buffers of one element or none, paths without the leading
// backslash, paths far longer than any host sends). None of it may crash
// the host or write past a buffer; none of these calls builds a comparison.
#include "support/test_paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace orvelle::e2e {
namespace {

template <typename Function>
Function EntryPoint(HMODULE module, const char* name) {
  auto address = ::GetProcAddress(module, name);
  EXPECT_NE(address, nullptr) << name;
  return reinterpret_cast<Function>(address);
}

TEST(EntryPoints, NullAndOddArgumentsFromTheHostAreHarmless) {
  HMODULE plugin = ::LoadLibraryW(test::BuiltFile(ORVELLE_PLUGIN_FILE).c_str());
  ASSERT_NE(plugin, nullptr);
  std::wstring longPath = L"\\" + std::wstring(40000, L'x');
  WCHAR open[] = L"open";
  WCHAR noBackslash[] = L"abc";

  auto init = EntryPoint<int(__stdcall*)(int, void*, void*, void*)>(plugin, "FsInit");
  EXPECT_EQ(init(1, nullptr, nullptr, nullptr), 0);

  // Text into host buffers: nothing into a null buffer or one of no room,
  // only the terminating zero into one of a single element.
  auto rootName = EntryPoint<void(__stdcall*)(char*, int)>(plugin, "FsGetDefRootName");
  rootName(nullptr, 10);
  char one[2] = {'#', '#'};
  rootName(one, 0);
  rootName(one, -5);
  EXPECT_EQ(one[0], '#');
  rootName(one, 1);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(one[1], '#');

  auto field = EntryPoint<int(__stdcall*)(int, char*, char*, int)>(plugin,
                                                                    "FsContentGetSupportedField");
  EXPECT_EQ(field(-1, nullptr, nullptr, 10), 0);
  EXPECT_EQ(field(1000, nullptr, nullptr, 10), 0);
  field(0, nullptr, nullptr, 0);

  auto value = EntryPoint<int(__stdcall*)(char*, int, int, void*, int, int)>(plugin,
                                                                              "FsContentGetValue");
  auto valueW = EntryPoint<int(__stdcall*)(WCHAR*, int, int, void*, int, int)>(
      plugin, "FsContentGetValueW");
  EXPECT_LT(value(nullptr, 0, 0, nullptr, 0, 0), 0);
  EXPECT_LT(value(nullptr, -7, 0, nullptr, -1, 0), 0);
  EXPECT_LT(valueW(nullptr, 1, 0, nullptr, 1, 0), 0);
  EXPECT_LT(valueW(longPath.data(), 0, 0, nullptr, 0, 0), 0);

  auto view = EntryPoint<BOOL(__stdcall*)(char*, char*, char*, char*, int)>(
      plugin, "FsContentGetDefaultView");
  auto viewW = EntryPoint<BOOL(__stdcall*)(WCHAR*, WCHAR*, WCHAR*, WCHAR*, int)>(
      plugin, "FsContentGetDefaultViewW");
  view(nullptr, nullptr, nullptr, nullptr, 0);
  WCHAR small[4] = {L'#', L'#', L'#', L'#'};
  viewW(small, small, small, small, 2);
  EXPECT_EQ(small[2], L'#') << "written past the buffer";

  // Paths: none names an entry; a listing of one is empty, not the root.
  auto findFirstW = EntryPoint<HANDLE(__stdcall*)(WCHAR*, WIN32_FIND_DATAW*)>(plugin,
                                                                              "FsFindFirstW");
  auto findNextW = EntryPoint<BOOL(__stdcall*)(HANDLE, WIN32_FIND_DATAW*)>(plugin, "FsFindNextW");
  auto findClose = EntryPoint<int(__stdcall*)(HANDLE)>(plugin, "FsFindClose");
  WIN32_FIND_DATAW data{};
  // No path or an empty one is not the root: no comparison, nothing written.
  auto findFirst = EntryPoint<HANDLE(__stdcall*)(char*, WIN32_FIND_DATAA*)>(plugin, "FsFindFirst");
  WCHAR emptyW[] = L"";
  char empty[] = "";
  WIN32_FIND_DATAW untouchedW;
  WIN32_FIND_DATAA untouched;
  std::memset(&untouchedW, 0xAB, sizeof untouchedW);
  std::memset(&untouched, 0xAB, sizeof untouched);
  const WIN32_FIND_DATAW patternW = untouchedW;
  const WIN32_FIND_DATAA pattern = untouched;
  EXPECT_EQ(findFirstW(nullptr, &untouchedW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(findFirstW(emptyW, &untouchedW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(findFirst(nullptr, &untouched), INVALID_HANDLE_VALUE);
  EXPECT_EQ(findFirst(empty, &untouched), INVALID_HANDLE_VALUE);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(std::memcmp(&untouchedW, &patternW, sizeof patternW), 0) << "written into";
  EXPECT_EQ(std::memcmp(&untouched, &pattern, sizeof pattern), 0) << "written into";
  EXPECT_FALSE(findNextW(nullptr, &untouchedW));
  EXPECT_EQ(findFirstW(noBackslash, &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(findFirstW(longPath.data(), nullptr), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(findNextW(nullptr, nullptr));
  EXPECT_EQ(findClose(nullptr), 0);

  // Before any listing has started: a copy out looks the entry up.
  auto getW = EntryPoint<int(__stdcall*)(WCHAR*, WCHAR*, int, void*)>(plugin, "FsGetFileW");
  EXPECT_EQ(getW(nullptr, nullptr, 0, nullptr), 2);  // not found
  EXPECT_EQ(getW(longPath.data(), longPath.data(), 1, nullptr), 2);
  auto status = EntryPoint<void(__stdcall*)(WCHAR*, int, int)>(plugin, "FsStatusInfoW");
  status(nullptr, 0, 1);
  status(longPath.data(), 0, 1);
  auto icon = EntryPoint<int(__stdcall*)(char*, int, HICON*)>(plugin, "FsExtractCustomIcon");
  EXPECT_EQ(icon(nullptr, 0, nullptr), 0);
  auto execute = EntryPoint<int(__stdcall*)(HWND, char*, char*)>(plugin, "FsExecuteFile");
  auto executeW = EntryPoint<int(__stdcall*)(HWND, WCHAR*, WCHAR*)>(plugin, "FsExecuteFileW");
  EXPECT_EQ(execute(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(executeW(nullptr, longPath.data(), open), 0);
  EXPECT_EQ(executeW(nullptr, noBackslash, open), 0);
  auto remove = EntryPoint<BOOL(__stdcall*)(char*)>(plugin, "FsDeleteFile");
  EXPECT_FALSE(remove(nullptr));

  EXPECT_TRUE(::FreeLibrary(plugin));
}

}  // namespace
}  // namespace orvelle::e2e
