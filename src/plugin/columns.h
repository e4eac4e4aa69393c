// The two custom columns (sign and comment), the default view and the
// entries' icons.
#pragma once

#include "plugin/state.h"

#include <windows.h>

#include <string>

namespace orvelle {

struct ContentField {
  const wchar_t* name;
  const wchar_t* header;
  int width;
};
inline constexpr ContentField kContentFields[] = {
    {L"Eq", L"<>", 25},
    {L"Comment", L"Comment", 230},
};

// Field type 8 (string) with its name for index 0 and 1, else 0.
int GetSupportedField(int fieldIndex, std::wstring& name);

// 8 with the entry's Status (field 0) or Info (field 1); -1 when the entry is
// not in the tree, the field is unknown, or the value is empty.
int GetFieldValue(PluginState& state, const std::wstring& remoteName, int fieldIndex,
                  std::wstring& value);

// The field's value written into the host's value buffer of maxlen bytes,
// cut to fit: ANSI text with type 8 for the ANSI entry point, wide text with
// type 11 for the wide one. GetFieldValue's -1 writes nothing; a buffer
// without room for one character (or none at all) gets nothing and -3
// (field empty).
int FieldValueToHost(PluginState& state, const std::wstring& remoteName, int fieldIndex,
                     char* buffer, int maxlen);
int FieldValueToHost(PluginState& state, const std::wstring& remoteName, int fieldIndex,
                     wchar_t* buffer, int maxlen);

struct DefaultView {
  std::wstring contents, headers, widths, options;
};
DefaultView GetDefaultView();

// The entry's icon (the plugin keeps it), or null for the host's default.
HICON GetEntryIcon(PluginState& state, const std::wstring& remoteName);

}  // namespace orvelle
