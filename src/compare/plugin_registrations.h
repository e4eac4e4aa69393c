// The plugins one installation registers, per kind, in the form the
// comparison matches them: a shown name, the file, and the value the
// configuration registers, compared between the installations without
// regard to case.
#pragma once

#include "compare/run_comparison.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class TTC;

struct PluginRegistration {
  std::wstring Name;   // the registration name shown in the tree
  std::wstring File;   // full path, expanded and lower-cased
  std::wstring Value;  // the path as the configuration writes it (see PluginRegistrations)
  std::wstring Detect;                  // lister and content plugins
  std::vector<std::wstring> Extensions;  // packer plugins, lower-cased
  std::vector<long long> Flags;          // packer plugins, parallel to Extensions
};

// The registrations of one kind, in the model's order. The registration
// value is the plugin path as written after the "=" of its line ("name=path"
// for file-system plugins, "ext=flags,path" for packer plugins, "N=path" for
// lister and content plugins), so that two installations that both write
// "%COMMANDER_PATH%\plugins\..." match although they live in different
// directories. Rows the reader adds for a "64" file beside a registered one
// have no line of their own (or their original's line): their value is the
// original's with "64" appended. A row without any line (a "64" file whose
// original has no file) takes its file, written with "%COMMANDER_PATH%" when
// it lies in the program directory. A value met twice is kept once, at its
// first row.
std::vector<PluginRegistration> PluginRegistrations(const TTC& model, PluginKind kind);

// Index of the registration whose value equals value without regard to case;
// -1 when none.
int FindRegistration(const std::vector<PluginRegistration>& rows, std::wstring_view value);

// The registration value of the plugin's 32/64-bit twin: the value without
// its last two characters when they are "64", otherwise the value + "64".
std::wstring TwinValue(std::wstring_view value);

// Gives every New registration whose name a My registration of another value
// also uses a "*" after its name, so that the two stay apart in the tree.
void MarkNameClashes(std::vector<PluginRegistration>& newRows,
                     const std::vector<PluginRegistration>& myRows);

// The directories (lower-cased, with a trailing backslash) that hold more than
// one registered plugin of any kind, or of those plugins and moreFiles; a
// plugin and its "64" twin count once. Comparing such a directory for one of
// its plugins would show the others' subdirectories as its own.
std::set<std::wstring> SharedPluginDirectories(const TTC& model,
                                               const std::vector<std::wstring>& moreFiles = {});

}  // namespace orvelle
