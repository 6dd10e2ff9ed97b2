// Text functions on ANSI strings over the system's locale-aware string services, so that they
// follow the ANSI code page (letters with diacritics included).
#pragma once

#include <string>
#include <string_view>

namespace sanivo {

// Replaces every occurrence of `pattern` without regard to case, left to right, never
// overlapping; the replacement is not searched again and the rest keeps its case.
std::string ReplaceTextAll(std::string_view text, std::string_view pattern,
                           std::string_view replacement);

// Whether `text` begins with `prefix`, case mattering. An empty prefix matches every text.
bool StartsWithStr(std::string_view prefix, std::string_view text);

// Whether `text` ends with `suffix`, case mattering. An empty suffix matches no text.
bool EndsWithStr(std::string_view suffix, std::string_view text);

// The position of the character after the one at `position` in the ANSI code page (a
// double-byte character is stepped over whole), at most the end. A zero byte inside the
// text is a character of its own, not the end.
std::size_t NextCharacter(std::string_view text, std::size_t position);

// Equality under the user's locale: exactly, or without regard to case.
bool EqualsWithCase(std::string_view first, std::string_view second);
bool EqualsIgnoringCase(std::string_view first, std::string_view second);

}  // namespace sanivo
