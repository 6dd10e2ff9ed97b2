// Conversion of text between charsets through a big-endian 16-bit intermediate (UTF-16BE: a
// character above U+FFFF travels as its surrogate pair): each side is done by the optional iconv
// library when it takes the charset, else by the built-in tables and codecs. No conversion
// fails: what cannot be shown becomes "_" or is left to the library's transliteration, and what
// is not well-formed text of the source charset becomes U+FFFD.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "charset/charset_id.h"
#include "charset/code_pages.h"

namespace sanivo {

// Pairs (from, to) of Unicode values. A map of exactly one word replaces nothing, whatever the
// word; a longer one is active.
using TReplacementMap = std::span<const std::uint16_t>;
inline constexpr std::array<std::uint16_t, 1> NoReplacement = {0};

// The ids whose built-in code unit is two or four bytes, and those whose units are
// little-endian; every other id has one-byte units.
inline constexpr std::array<TCharsetId, 4> TwoByteCharsets = {ciUCS2, ciUTF7, ciModifiedUTF7,
                                                              ciUCS2LE};
inline constexpr std::array<TCharsetId, 3> FourByteCharsets = {ciUCS4, ciUTF8, ciUCS4LE};
inline constexpr std::array<TCharsetId, 2> LittleEndianCharsets = {ciUCS2LE, ciUCS4LE};

// The size in bytes of the built-in code unit of id (1, 2 or 4), and its byte order.
unsigned CodeUnitSize(TCharsetId id);
bool HasLittleEndianUnits(TCharsetId id);
bool IsMapActive(TReplacementMap map);

std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to);
std::string ConvertCharsetMapped(const std::string& value, TCharsetId from, TCharsetId to,
                                 TReplacementMap map);
std::string ConvertCharsetEx(const std::string& value, TCharsetId from, TCharsetId to,
                             TReplacementMap map, bool transliterate);

// The built-in decoding of value into the intermediate: byte-order marks are dropped, and in the
// two- and four-byte forms a swapped one turns the byte order for the rest of the text.
std::string DecodeToUcs2(const std::string& value, TCharsetId from);
std::uint16_t ReplaceCodePoint(std::uint16_t unit, TReplacementMap map);

// The bytes of one code unit, least significant first. The two operations on them are part of
// the documented interface; the decoders and encoders read and write whole units themselves.
using TCodeUnitBytes = std::array<std::uint8_t, 4>;
// Reads the unit at position (counted from 1) and advances position by size; a unit that the
// text cuts short reads as 0. A size above 4 counts as 1.
TCodeUnitBytes ReadCodeUnit(std::string_view text, std::size_t& position, unsigned size,
                            bool littleEndian);
std::string WriteCodeUnit(const TCodeUnitBytes& bytes, unsigned size, bool littleEndian);

// Module start-up and shut-down of the whole conversion: the library's lock, then the alias
// table; released in reverse.
void InitializeCharsetModules();
void FinalizeCharsetModules();

}  // namespace sanivo
