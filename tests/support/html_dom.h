// A strict reader of the HTML the plugin writes: every element closed in
// order (but the void ones), attributes quoted, every "&" a known entity,
// no raw "<" or ">" in text. What it accepts, a browser reads the same way.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvelle::test {

struct HtmlElement {
  std::wstring name;
  std::map<std::wstring, std::wstring> attributes;  // values with entities decoded
  std::vector<HtmlElement> children;
  std::wstring text;  // its own text and its descendants', entities decoded

  std::wstring Attribute(const std::wstring& key) const {
    auto it = attributes.find(key);
    return it == attributes.end() ? std::wstring() : it->second;
  }
  // Every element below this one (depth first) with that name.
  std::vector<const HtmlElement*> All(const std::wstring& elementName) const;
};

// The document element; nullopt with the reason in error when the text is
// not well formed.
std::optional<HtmlElement> ParseStrictHtml(const std::wstring& html, std::wstring& error);

}  // namespace orvelle::test
