// The texts of vars_conts.h in the user's language.
//
// The constants of vars_conts.h stay the English texts and the identity of
// each text: code shows a text as Tr(texts::kName), which gives the active
// language's translation of that constant, or the constant itself. A
// constant that no key names (the tree's folder and entry names that saved
// searches and users match) is always shown as it is, and so is a constant
// added without a key: it is English until a key line names it.
//
// A language file is an ini-style text file beside the plugin, UTF-8 (with
// or without its mark) or UTF-16 with its mark:
//   [Language]
//   Name=Deutsch
//   Font=Segoe UI,Tahoma          (optional: dialog fonts that have the glyphs)
//   [Texts]
//   RepeatComparison=Vergleich wiederholen?
// The key is the constant's name without its "k"; the value is everything
// after the first "=" up to the line's end, spaces included, so that texts
// that are glued to others keep their blanks.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvelle::texts {

// One translatable constant under the name a language file gives it.
struct TextKey {
  const wchar_t* name;     // "RepeatComparison"
  const wchar_t* english;  // texts::kRepeatComparison (the constant itself)
};

// Every text that a language file may translate, each constant named once.
std::span<const TextKey> TranslatableTexts();

// The texts of one language, read from its file; what it lacks or holds in
// a damaged form is shown in English.
class Translation {
 public:
  // Parses a language file's bytes. Unknown keys, empty values and values
  // with control characters or broken characters (bytes that were not
  // UTF-8) are left out; bytes that are no text at all give an empty
  // translation.
  static Translation FromBytes(std::string_view bytes);

  // The translation of a constant of the table (compared by address), or
  // nullptr.
  const wchar_t* Find(const wchar_t* english) const;
  // The keys of TranslatableTexts() this file translates.
  size_t Count() const { return texts_.size(); }
  const std::wstring& Name() const { return name_; }
  // Font names for the dialogs, in the order of preference.
  const std::vector<std::wstring>& Fonts() const { return fonts_; }

  bool operator==(const Translation&) const = default;

 private:
  std::unordered_map<const wchar_t*, std::wstring> texts_;
  std::wstring name_;
  std::vector<std::wstring> fonts_;
};

// The language file for the host's language setting (`LanguageIni`, a file
// name or a path such as "c:\tc\LANGUAGE\wcmd_deu.lng"): "Orvelle_DEU.lng"
// for "WCMD_DEU.LNG". Empty for English or no setting.
std::wstring LanguageFileFor(std::wstring_view languageIni);

// Reads a language file; nullptr when it is missing, unreadable, larger
// than any language file or holds no translation.
std::shared_ptr<const Translation> LoadTranslation(const std::wstring& path);

// Makes a translation the one shown (nullptr: English). The texts of the
// translations shown before stay valid until the process ends, so a text
// taken from Tr() never dangles; an equal translation shown again is not
// kept twice.
void ShowTranslation(std::shared_ptr<const Translation> translation);
// The translation shown now; nullptr for English.
std::shared_ptr<const Translation> ShownTranslation();

// The text to show for a constant of vars_conts.h: its translation in the
// language shown, else the constant itself. Any other pointer comes back
// unchanged.
const wchar_t* Tr(const wchar_t* english);

}  // namespace orvelle::texts

namespace orvelle {
// Shown texts are written Tr(texts::kName) everywhere.
using texts::Tr;
}  // namespace orvelle
