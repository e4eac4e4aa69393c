#include "util/version_record.h"

#include "platform/strings.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace orvelle {

namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;
constexpr size_t kFixedSize = 52;  // VS_FIXEDFILEINFO

uint16_t Word(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               static_cast<unsigned char>(b[at + 1]) << 8);
}

uint32_t Dword(std::string_view b, size_t at) {
  return static_cast<uint32_t>(Word(b, at)) | static_cast<uint32_t>(Word(b, at + 2)) << 16;
}

size_t Align4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }

// One node of the record: length, value length, type, key, padding, value,
// padding, children; all within the node's own length.
struct Node {
  std::wstring key;
  std::string_view value;     // for text values, UTF-16 up to the first zero
  std::string_view children;  // the bytes of the children, one after another
};

std::optional<Node> ReadNode(std::string_view bytes) {
  if (bytes.size() < 6) return std::nullopt;
  const size_t length = Word(bytes, 0);
  if (length < 6 || length > bytes.size()) return std::nullopt;
  bytes = bytes.substr(0, length);
  const size_t valueLength = Word(bytes, 2);
  const bool text = Word(bytes, 4) == 1;
  Node node;
  size_t at = 6;
  for (;; at += 2) {
    if (at + 2 > bytes.size()) return std::nullopt;
    const wchar_t c = static_cast<wchar_t>(Word(bytes, at));
    if (c == L'\0') break;
    node.key += c;
  }
  at = Align4(at + 2);
  // Writers differ on whether a text value's length counts characters or
  // bytes: take what fits and stop at the terminating zero.
  size_t valueBytes = text ? valueLength * 2 : valueLength;
  if (at > bytes.size()) at = bytes.size();
  if (valueBytes > bytes.size() - at) valueBytes = bytes.size() - at;
  node.value = bytes.substr(at, valueBytes);
  if (text) {
    for (size_t i = 0; i + 1 < node.value.size(); i += 2) {
      if (Word(node.value, i) == 0) {
        node.value = node.value.substr(0, i);
        break;
      }
    }
  }
  const size_t childrenAt = std::min(Align4(at + (text ? valueLength * 2 : valueLength)), bytes.size());
  node.children = bytes.substr(childrenAt);
  return node;
}

std::vector<Node> Children(std::string_view children) {
  std::vector<Node> nodes;
  size_t at = 0;
  while (at + 6 <= children.size()) {
    std::optional<Node> node = ReadNode(children.substr(at));
    if (!node) break;
    nodes.push_back(*node);
    at = Align4(at + Word(children, at));
  }
  return nodes;
}

const Node* ChildNamed(const std::vector<Node>& nodes, std::wstring_view key) {
  for (const Node& n : nodes) {
    if (platform::EqualsNoCase(n.key, key)) return &n;
  }
  return nullptr;
}

std::wstring TextOf(std::string_view value) {
  std::wstring text;
  for (size_t i = 0; i + 1 < value.size(); i += 2) text += static_cast<wchar_t>(Word(value, i));
  return text;
}

void ReadStrings(const Node& root, TPJVersionInfo& info) {
  struct Field {
    const wchar_t* name;
    std::wstring TPJVersionInfo::*member;
  };
  static const Field kFields[] = {
      {L"CompanyName", &TPJVersionInfo::companyName},
      {L"FileDescription", &TPJVersionInfo::fileDescription},
      {L"FileVersion", &TPJVersionInfo::fileVersionText},
      {L"InternalName", &TPJVersionInfo::internalName},
      {L"LegalCopyright", &TPJVersionInfo::legalCopyright},
      {L"LegalTrademarks", &TPJVersionInfo::legalTrademarks},
      {L"OriginalFilename", &TPJVersionInfo::originalFilename},
      {L"ProductName", &TPJVersionInfo::productName},
      {L"ProductVersion", &TPJVersionInfo::productVersionText},
      {L"Comments", &TPJVersionInfo::comments},
      {L"PrivateBuild", &TPJVersionInfo::privateBuild},
      {L"SpecialBuild", &TPJVersionInfo::specialBuild},
  };
  const std::vector<Node> top = Children(root.children);
  // The string tables to try: the first translation's, then the common
  // English ones that records without a translation table use.
  std::vector<std::wstring> blocks;
  if (const Node* var = ChildNamed(top, L"VarFileInfo")) {
    const std::vector<Node> vars = Children(var->children);
    if (const Node* translation = ChildNamed(vars, L"Translation");
        translation && translation->value.size() >= 4) {
      wchar_t block[16];
      std::swprintf(block, 16, L"%04X%04X", Word(translation->value, 0),
                    Word(translation->value, 2));
      blocks.push_back(block);
    }
  }
  for (const wchar_t* common : {L"040904B0", L"040904E4", L"04090000"}) {
    if (blocks.empty() || blocks.front() != common) blocks.push_back(common);
  }
  const Node* stringInfo = ChildNamed(top, L"StringFileInfo");
  if (stringInfo == nullptr) return;
  const std::vector<Node> tables = Children(stringInfo->children);
  // The strings all come from one table: the first candidate that holds any.
  for (const std::wstring& block : blocks) {
    const Node* table = ChildNamed(tables, block);
    if (table == nullptr) continue;
    const std::vector<Node> strings = Children(table->children);
    bool found = false;
    for (const Field& field : kFields) {
      if (const Node* s = ChildNamed(strings, field.name)) {
        info.*field.member = TextOf(s->value);
        found = true;
      }
    }
    if (found) return;
  }
}

}  // namespace

std::optional<TPJVersionInfo> ParseVersionRecord(std::string_view record) {
  std::optional<Node> root = ReadNode(record);
  if (!root || !platform::EqualsNoCase(root->key, L"VS_VERSION_INFO")) return std::nullopt;
  TPJVersionInfo info;
  if (root->value.size() >= kFixedSize && Dword(root->value, 0) == kFixedSignature) {
    auto split = [](uint32_t ms, uint32_t ls) {
      return std::array<WORD, 4>{HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls)};
    };
    info.fileVersion = split(Dword(root->value, 8), Dword(root->value, 12));
    info.productVersion = split(Dword(root->value, 16), Dword(root->value, 20));
  }
  ReadStrings(*root, info);
  return info;
}

}  // namespace orvelle
