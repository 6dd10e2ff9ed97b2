// The program's own texts are Windows-1250 bytes (the _cp1250 literals, and what the ANSI calls
// of a Czech Windows give). These conversions take them to the console's code page 852 and to
// UTF-8 without the general conversion engine, so that a program that converts nothing else
// does not carry the engine. They give what ConvertCharset gives with its built-in tables: a
// character that code page 852 lacks becomes "_", a byte that Windows-1250 leaves undefined
// becomes U+FFFD in UTF-8.
#pragma once

#include <string>
#include <string_view>

#include "charset/charset_id.h"

namespace sanivo {

// A text of `from` in code page 852: Windows-1250 converted, code page 852 as it is. Raises
// Exception for any other charset, which needs the general engine.
std::string Windows1250ToCP852(const std::string& text, TCharsetId from);

std::string Windows1250ToUtf8(std::string_view text);

}  // namespace sanivo
