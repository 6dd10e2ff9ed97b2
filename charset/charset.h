// Conversion of text between charsets through a big-endian UCS-2 intermediate: each side is
// done by the optional iconv library when it takes the charset, else by the built-in tables
// and codecs. No conversion fails: what cannot be shown becomes "_" or is left to the
// library's transliteration.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "charset/charset_id.h"
#include "charset/code_pages.h"
#include "charset/iconv_binding.h"

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

// Every conversion passes through this form, under this name for the library.
inline constexpr char kIntermediateName[] = "UCS-2BE";
// Appended before the library encodes UTF-7, so that it closes a trailing run; the "-" it then
// writes is cut off again.
inline constexpr std::string_view kUtf7RunCloser{"\x00\x2D", 2};

// The size in bytes of the built-in code unit of id (1, 2 or 4), and its byte order.
unsigned CodeUnitSize(TCharsetId id);
bool HasLittleEndianUnits(TCharsetId id);
bool IsMapActive(TReplacementMap map);

// What each byte of a one-byte charset becomes in another without the library: the target's
// lowest byte for the same character, or "_".
std::array<char, 256> SingleBytePairTable(TCharsetId from, TCharsetId to);

// The library's descriptor from the intermediate to `to`, transliterating or not; kNoIconv
// when it does not take the charset.
TIconvDescriptor OpenEncoder(TCharsetId to, bool transliterate);
// UCS-2BE text through the library's encoding descriptor; UTF-7 gets its last run closed.
std::string LibraryEncode(TIconvDescriptor descriptor, std::string ucs2, TCharsetId to);

std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to);
std::string ConvertCharsetMapped(const std::string& value, TCharsetId from, TCharsetId to,
                                 TReplacementMap map);
std::string ConvertCharsetEx(const std::string& value, TCharsetId from, TCharsetId to,
                             TReplacementMap map, bool transliterate);

// The built-in decoding of value into UCS-2BE: byte-order marks are dropped, and a swapped one
// turns the byte order for the rest of the text.
std::string DecodeToUcs2(const std::string& value, TCharsetId from);
std::uint16_t ReplaceCodePoint(std::uint16_t unit, TReplacementMap map);

// The bytes of one code unit, least significant first.
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
