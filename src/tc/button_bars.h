// The host's button bar files (*.bar): a [Buttonbar] section with
// "buttoncount" and per button N "buttonN" (icon), "cmdN", "paramN",
// "pathN", "menuN" (tooltip).
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

struct BarButton {
  int number = 0;
  std::wstring command, param, path, menu;
};

// The buttons of the lines' [Buttonbar] section that have a command, by
// number; numbers above a valid "buttoncount" are left out.
std::vector<BarButton> ParseButtonBar(const std::vector<std::wstring>& lines);

// Fills BarFiles with the program directory's "*.bar" files and every bar
// file their "cmd" lines open (directly or with OPENBAR), at any depth, each
// once: full paths, lower-cased, sorted. Always true.
bool ReadButtonBarFiles(TTC& model);

}  // namespace orvelle
