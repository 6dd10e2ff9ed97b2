#pragma once

#include <string>

#include "charset/charset_id.h"
#include "charset/code_pages.h"

namespace sanivo {

// Turns text from one charset into another, byte by byte through the Unicode value of each byte.
// Same ids give the text back unchanged. A character that the target code page lacks becomes
// "_", so the result always has as many bytes as the text; the conversion never fails.
//
// Only single-byte code pages are converted so far: every id above 24 is read and written as
// ISO-8859-1, the Unicode forms (ids 25 to 31) included, whose code units are not decoded yet.
std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to);

}  // namespace sanivo
