// The entries of the tracked sections of the host's configuration: how each
// key is split, expanded and stored in the model. Used by the configuration
// reader, which handles sections, redirects and the steps after reading.
#pragma once

#include <string>
#include <string_view>

namespace orvelle {

class TTC;

// The slot of a lower-cased section header, or 0 when it is not tracked.
int TrackedSlotOf(const TTC& model, std::wstring_view header);

// Takes one entry of the section of that slot into the model. key is trimmed
// and lower-cased, value trimmed, rawLine the line as written.
void ReadSectionEntry(TTC& model, int slot, const std::wstring& key, const std::wstring& value,
                      const std::wstring& rawLine);

// Empties what the model holds of the section of that slot (colours and
// fonts back to their defaults), so that a redirected file replaces it.
void ClearSection(TTC& model, int slot);

}  // namespace orvelle
