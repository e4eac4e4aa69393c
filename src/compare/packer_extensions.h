// The "Extensions" folder of a packer plugin: per registered extension, the
// capability flags that each installation gives it.
#pragma once

#include "compare/compare_context.h"

#include <string>
#include <utility>
#include <vector>

namespace orvelle {

struct PluginRegistration;

// The capability flags of one extension as entries: (flag text, sign), the
// flags that New sets first ("=" when My sets them too, else "*"), then
// those only My sets ("!"), each group in ascending flag order. A side that
// does not register the extension passes hasNew or hasMy false. Bits beyond
// the known flags are ignored.
std::vector<std::pair<std::wstring, std::wstring>> CompareCapabilities(bool hasNew,
                                                                      long long newFlags,
                                                                      bool hasMy,
                                                                      long long myFlags);

// Appends "Extensions" (Order 1) to the plugin folder pluginIndex, with one
// folder per extension: New's extensions in their order, then those only My
// registers. A null registration is a side that lacks the plugin.
void AppendPackerExtensions(CompareContext& ctx, int pluginIndex, const PluginRegistration* newReg,
                            const PluginRegistration* myReg);

}  // namespace orvelle
