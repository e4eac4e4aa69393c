#include "support/html_dom.h"

#include <cwctype>

namespace orvelle::test {

namespace {

bool IsVoid(const std::wstring& name) {
  return name == L"meta" || name == L"br" || name == L"link" || name == L"img" || name == L"hr";
}

class Reader {
 public:
  Reader(const std::wstring& text, std::wstring& error) : s_(text), error_(error) {}

  std::optional<HtmlElement> Document() {
    if (s_.rfind(L"<!DOCTYPE html>", 0) != 0) {
      Fail(L"no <!DOCTYPE html> at the start");
      return std::nullopt;
    }
    at_ = 15;
    SkipBlanks();
    HtmlElement root;
    if (!Element(root)) return std::nullopt;
    SkipBlanks();
    if (at_ != s_.size()) {
      Fail(L"text after the document element");
      return std::nullopt;
    }
    return root;
  }

 private:
  // Records the first fault; always false.
  bool Fail(const std::wstring& why) {
    if (error_.empty()) error_ = why + L" at offset " + std::to_wstring(at_);
    return false;
  }
  void SkipBlanks() {
    while (at_ < s_.size() && std::iswspace(s_[at_])) ++at_;
  }
  std::wstring Name() {
    size_t start = at_;
    while (at_ < s_.size() && (std::iswalnum(s_[at_]) || s_[at_] == L'-')) ++at_;
    return s_.substr(start, at_ - start);
  }
  // Text up to the next "<" (or, in an attribute, to the closing quote),
  // entities decoded.
  bool Text(std::wstring& out, wchar_t stop) {
    while (at_ < s_.size() && s_[at_] != stop) {
      const wchar_t c = s_[at_];
      if (c == L'>' || (stop == L'"' && c == L'<')) return Fail(L"raw angle bracket");
      if (c != L'&') {
        out += c;
        ++at_;
        continue;
      }
      const size_t semi = s_.find(L';', at_);
      if (semi == std::wstring::npos || semi - at_ > 10) return Fail(L"a lone &");
      const std::wstring entity = s_.substr(at_ + 1, semi - at_ - 1);
      if (entity == L"amp") out += L'&';
      else if (entity == L"lt") out += L'<';
      else if (entity == L"gt") out += L'>';
      else if (entity == L"quot") out += L'"';
      else if (entity == L"nbsp") out += L'\u00a0';
      else if (entity.size() > 1 && entity[0] == L'#' && entity.find_first_not_of(L"0123456789", 1) == std::wstring::npos)
        out += static_cast<wchar_t>(std::stoul(entity.substr(1)));
      else return Fail(L"unknown entity &" + entity + L";");
      at_ = semi + 1;
    }
    return true;
  }
  bool Element(HtmlElement& e) {
    if (at_ >= s_.size() || s_[at_] != L'<') return Fail(L"an element expected");
    ++at_;
    e.name = Name();
    if (e.name.empty()) return Fail(L"an element without a name");
    for (;;) {
      SkipBlanks();
      if (at_ >= s_.size()) return Fail(L"unclosed tag <" + e.name);
      if (s_[at_] == L'>') break;
      std::wstring key = Name();
      if (key.empty() || at_ + 1 >= s_.size() || s_[at_] != L'=' || s_[at_ + 1] != L'"') {
        return Fail(L"an attribute of <" + e.name + L"> without a quoted value");
      }
      at_ += 2;
      std::wstring value;
      if (!Text(value, L'"')) return false;
      if (at_ >= s_.size()) return Fail(L"unclosed attribute");
      ++at_;
      if (!e.attributes.emplace(key, value).second) return Fail(L"a repeated attribute " + key);
    }
    ++at_;
    if (IsVoid(e.name)) return true;
    if (e.name == L"style" || e.name == L"script") {
      const std::wstring end = L"</" + e.name + L">";
      const size_t close = s_.find(end, at_);
      if (close == std::wstring::npos) return Fail(L"unclosed <" + e.name + L">");
      at_ = close + end.size();
      return true;
    }
    for (;;) {
      if (!Text(e.text, L'<')) return false;
      if (at_ >= s_.size()) return Fail(L"unclosed <" + e.name + L">");
      if (s_.compare(at_, 2, L"</") == 0) {
        at_ += 2;
        if (Name() != e.name || at_ >= s_.size() || s_[at_] != L'>') {
          return Fail(L"a closing tag that does not close <" + e.name + L">");
        }
        ++at_;
        return true;
      }
      HtmlElement child;
      if (!Element(child)) return false;
      e.text += child.text;
      e.children.push_back(std::move(child));
    }
  }

  const std::wstring& s_;
  std::wstring& error_;
  size_t at_ = 0;
};

void Collect(const HtmlElement& e, const std::wstring& name, std::vector<const HtmlElement*>& out) {
  for (const HtmlElement& c : e.children) {
    if (c.name == name) out.push_back(&c);
    Collect(c, name, out);
  }
}

}  // namespace

std::vector<const HtmlElement*> HtmlElement::All(const std::wstring& elementName) const {
  std::vector<const HtmlElement*> out;
  Collect(*this, elementName, out);
  return out;
}

std::optional<HtmlElement> ParseStrictHtml(const std::wstring& html, std::wstring& error) {
  error.clear();
  return Reader(html, error).Document();
}

}  // namespace orvelle::test
