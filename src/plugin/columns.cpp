#include "plugin/columns.h"

#include "plugin/host_api.h"
#include "plugin/host_text.h"

namespace orvelle {

int GetSupportedField(int fieldIndex, std::wstring& name) {
  if (fieldIndex < 0 || fieldIndex >= static_cast<int>(std::size(kContentFields))) {
    return host::ft_nomorefields;
  }
  name = kContentFields[fieldIndex].name;
  return host::ft_string;
}

int GetFieldValue(PluginState& state, const std::wstring& remoteName, int fieldIndex,
                  std::wstring& value) {
  if (fieldIndex != 0 && fieldIndex != 1) return host::ft_nosuchfield;
  int index = state.Tree.Tree.FindTreeItem(remoteName);
  if (index < 0) return host::ft_nosuchfield;
  const TVirtualTreeItem& item = state.Tree.Tree[index];
  value = fieldIndex == 0 ? item.Status : item.Info;
  return value.empty() ? host::ft_nosuchfield : host::ft_string;
}

int FieldValueToHost(PluginState& state, const std::wstring& remoteName, int fieldIndex,
                     char* buffer, int maxlen) {
  std::wstring value;
  const int type = GetFieldValue(state, remoteName, fieldIndex, value);
  if (type != host::ft_string) return type;
  // No room even for the terminating zero: the value was not handed over,
  // so it is not reported as one.
  if (buffer == nullptr || maxlen < 1) return host::ft_fieldempty;
  CopyToHost(value, buffer, maxlen);
  return host::ft_string;
}

int FieldValueToHost(PluginState& state, const std::wstring& remoteName, int fieldIndex,
                     wchar_t* buffer, int maxlen) {
  std::wstring value;
  const int type = GetFieldValue(state, remoteName, fieldIndex, value);
  if (type != host::ft_string) return type;
  // The host counts the buffer in bytes in both forms: fewer than one
  // character's worth holds not even the terminating zero.
  const int capacity = maxlen / static_cast<int>(sizeof(wchar_t));
  if (buffer == nullptr || capacity < 1) return host::ft_fieldempty;
  CopyToHost(value, buffer, capacity);
  return host::ft_stringw;
}

DefaultView GetDefaultView() {
  // The host separates the items of a view with the two characters "\n".
  const std::wstring separator = L"\\n";
  DefaultView view;
  view.widths = L"80,25";
  for (const ContentField& field : kContentFields) {
    if (!view.contents.empty()) {
      view.contents += separator;
      view.headers += separator;
    }
    view.contents += std::wstring(L"[=<fs>.") + field.name + L"]";
    view.headers += field.header;
    view.widths += L"," + std::to_wstring(field.width);
  }
  view.options = L"-1|1";
  return view;
}

HICON GetEntryIcon(PluginState& state, const std::wstring& remoteName) {
  int index = state.Tree.Tree.FindTreeItem(remoteName);
  return index < 0 ? nullptr : state.Tree.Tree[index].Icon;
}

}  // namespace orvelle
