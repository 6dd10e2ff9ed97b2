#include "charset/charset.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "base/big_endian.h"
#include "charset/iconv_binding.h"
#include "charset/unicode_codecs.h"

namespace sanivo {

namespace {

constexpr char kUnconvertible = '_';
constexpr char kIntermediateName[] = "UCS-2BE";
// Appended before the library encodes UTF-7, so that it closes a trailing run; the "-" it then
// writes is cut off again.
constexpr std::string_view kUtf7RunCloser{"\x00\x2D", 2};
constexpr std::uint16_t kByteOrderMark = 0xFEFF;
constexpr std::uint16_t kSwappedByteOrderMark = 0xFFFE;

template <std::size_t N>
bool IsIn(const std::array<TCharsetId, N>& set, TCharsetId id) {
  return std::ranges::find(set, id) != set.end();
}

unsigned UnitSize(TCharsetId id) {
  if (IsIn(TwoByteCharsets, id)) return 2;
  if (IsIn(FourByteCharsets, id)) return 4;
  return 1;
}

bool IsMapActive(TReplacementMap map) { return map.size() != 1; }

void AppendUnit(std::string& out, std::uint16_t unit) {
  out += static_cast<char>(unit >> 8);
  out += static_cast<char>(unit & 0xFF);
}

// The built-in encoding of one unit into a one-byte charset; none when the charset lacks it and
// nothing is to be written.
std::optional<char> EncodeSingleByte(TCharsetId to, std::uint16_t unit, bool transliterate) {
  if (const std::optional<unsigned char> byte = EncodeCodePageChar(to, unit)) {
    return static_cast<char>(*byte);
  }
  if (transliterate) return kUnconvertible;
  return std::nullopt;
}

// Between two one-byte charsets the built-in engine maps byte to byte: one table per pair,
// kept for the pair that came last (the console asks for the same pair every time).
class TSingleBytePairTable {
 public:
  const std::array<char, 256>& For(TCharsetId from, TCharsetId to) {
    const int key = CodePageIndex(from) * kCodePageCount + CodePageIndex(to);
    if (key != key_) {
      for (unsigned byte = 0; byte < table_.size(); ++byte) {
        const std::uint16_t unit = DecodeCodePageByte(from, static_cast<unsigned char>(byte));
        table_[byte] = *EncodeSingleByte(to, unit, true);
      }
      key_ = key;
    }
    return table_;
  }

 private:
  static int CodePageIndex(TCharsetId id) { return id < kCodePageCount ? id : ciISO8859_1; }
  int key_ = -1;
  std::array<char, 256> table_{};
};

std::string ConvertSingleBytes(const std::string& value, TCharsetId from, TCharsetId to) {
  static TSingleBytePairTable pairTable;
  const std::array<char, 256>& table = pairTable.For(from, to);
  std::string result(value.size(), '\0');
  const auto* in = reinterpret_cast<const unsigned char*>(value.data());
  char* out = result.data();
  const std::size_t size = value.size();
  std::size_t i = 0;
  // Eight independent look-ups a round keep the processor busy; the rest one by one.
  for (; i + 8 <= size; i += 8) {
    for (std::size_t k = 0; k < 8; ++k) out[i + k] = table[in[i + k]];
  }
  for (; i < size; ++i) out[i] = table[in[i]];
  return result;
}

std::string DecodeSide(const std::string& value, TCharsetId from) {
  TIconvDescriptor descriptor = IconvOpenIgnore(kIntermediateName, CharsetName(from));
  std::string ucs2 =
      descriptor == kNoIconv ? DecodeToUcs2(value, from) : IconvConvert(descriptor, value).output;
  IconvClose(descriptor);
  return ucs2;
}

// Text through the library's encoder; UTF-7 gets its last run closed.
std::string LibraryEncode(TIconvDescriptor descriptor, std::string ucs2, TCharsetId to) {
  if (to == ciUTF7) ucs2 += kUtf7RunCloser;
  std::string out = IconvConvert(descriptor, ucs2).output;
  if (to == ciUTF7 && !out.empty()) out.pop_back();
  return out;
}

std::string LastPass(std::string text, TCharsetId to) {
  switch (to) {
    case ciUTF7:
      return Ucs2ToUtf7(text, false);
    case ciModifiedUTF7:
      return Ucs2ToUtf7(text, true);
    case ciUTF8:
      return Ucs4ToUtf8(text);
    default:
      return text;
  }
}

std::string EncodeUnitByUnit(const std::string& ucs2, TCharsetId to, TReplacementMap map,
                             bool transliterate, TIconvDescriptor descriptor) {
  const unsigned size = UnitSize(to);
  const bool littleEndian = IsIn(LittleEndianCharsets, to);
  std::string result;
  for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
    auto unit = static_cast<std::uint16_t>(ReadBigEndian(ucs2, i, 2));
    if (IsMapActive(map)) unit = ReplaceCodePoint(unit, map);
    if (descriptor != kNoIconv) {
      std::string pair;
      AppendUnit(pair, unit);
      result += LibraryEncode(descriptor, pair, to);
    } else if (size == 1) {
      if (unit <= 0x7F) {
        result += static_cast<char>(unit);
      } else if (const std::optional<char> byte = EncodeSingleByte(to, unit, transliterate)) {
        result += *byte;
      }
    } else {
      const auto low = static_cast<std::uint8_t>(unit & 0xFF);
      const auto high = static_cast<std::uint8_t>(unit >> 8);
      result += WriteCodeUnit({low, high, 0, 0}, size, littleEndian);
    }
  }
  return result;
}

std::string EncodeSide(const std::string& ucs2, TCharsetId to, TReplacementMap map,
                       bool transliterate) {
  const std::string toName = CharsetName(to);
  TIconvDescriptor descriptor = transliterate ? IconvOpenTranslit(toName, kIntermediateName)
                                              : IconvOpenIgnore(toName, kIntermediateName);
  std::string result;
  if (descriptor != kNoIconv && !IsMapActive(map)) {
    result = LibraryEncode(descriptor, ucs2, to);
  } else {
    result = EncodeUnitByUnit(ucs2, to, map, transliterate, descriptor);
    if (descriptor == kNoIconv) result = LastPass(std::move(result), to);
  }
  IconvClose(descriptor);
  return result;
}

// The built-in decoding of fixed-size units into UCS-2BE, appended to ucs2.
void AppendDecodedUnits(std::string& ucs2, std::string_view text, TCharsetId from,
                        bool littleEndian) {
  const TCharsetTable& table = GetCharsetTable(from);
  const unsigned size = UnitSize(from);
  for (std::size_t position = 1; position <= text.size();) {
    TCodeUnitBytes unit = ReadCodeUnit(text, position, size, littleEndian);
    if (unit[3] == 0 && unit[2] == 0) {
      const auto value = static_cast<std::uint16_t>(unit[1] << 8 | unit[0]);
      if (value == kSwappedByteOrderMark) {
        littleEndian = !littleEndian;
        continue;
      }
      if (value == kByteOrderMark) continue;
    }
    if (size == 1 && unit[0] >= kFirstTableByte) {
      const std::uint16_t character = table[unit[0] - kFirstTableByte];
      unit[0] = static_cast<std::uint8_t>(character & 0xFF);
      unit[1] = static_cast<std::uint8_t>(character >> 8);
    }
    ucs2 += static_cast<char>(unit[1]);
    ucs2 += static_cast<char>(unit[0]);
  }
}

std::string DecodeUnits(std::string_view text, TCharsetId from, bool littleEndian) {
  std::string ucs2;
  ucs2.reserve(2 * text.size() / UnitSize(from) + 2);
  AppendDecodedUnits(ucs2, text, from, littleEndian);
  return ucs2;
}

// UTF-8 straight to UCS-2BE, as if through big-endian four-byte units: byte-order marks are
// dropped, and after a swapped one the rest is read from those units the other way round.
// Eight bytes at once, none of them with the high bit set.
bool IsAsciiWord(const char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080u) == 0;
}

std::string DecodeUtf8(std::string_view utf8) {
  // Written through a small buffer so that only the pages of the result are touched, once.
  std::string ucs2;
  ucs2.reserve(2 * utf8.size());
  char chunk[4096];
  std::size_t used = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    if (used + 16 > sizeof chunk) {
      ucs2.append(chunk, used);
      used = 0;
    }
    if (i + 8 <= utf8.size() && IsAsciiWord(utf8.data() + i)) {
      for (int k = 0; k < 8; ++k) {
        chunk[used++] = '\0';
        chunk[used++] = utf8[i++];
      }
      continue;
    }
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      chunk[used++] = '\0';
      chunk[used++] = utf8[i++];
      continue;
    }
    const std::uint32_t value = ReadUtf8Sequence(utf8, i);
    if (value == kByteOrderMark) continue;
    if (value == kSwappedByteOrderMark) {
      ucs2.append(chunk, used);
      AppendDecodedUnits(ucs2, Utf8ToUcs4(utf8.substr(i)), ciUTF8, true);
      return ucs2;
    }
    chunk[used++] = static_cast<char>(value >> 8 & 0xFF);
    chunk[used++] = static_cast<char>(value & 0xFF);
  }
  ucs2.append(chunk, used);
  return ucs2;
}

bool IsSingleByteWithoutPass(TCharsetId id) { return UnitSize(id) == 1; }

}  // namespace

std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to) {
  return ConvertCharsetMapped(value, from, to, NoReplacement);
}

std::string ConvertCharsetMapped(const std::string& value, TCharsetId from, TCharsetId to,
                                 TReplacementMap map) {
  return ConvertCharsetEx(value, from, to, map, true);
}

std::string ConvertCharsetEx(const std::string& value, TCharsetId from, TCharsetId to,
                             TReplacementMap map, bool transliterate) {
  if (from == to && !IsMapActive(map)) return value;
  // Without the library, one-byte charsets map byte to byte; the result is the same as
  // going through the intermediate unit by unit.
  if (!IconvLoad() && !IsMapActive(map) && transliterate && IsSingleByteWithoutPass(from) &&
      IsSingleByteWithoutPass(to)) {
    return ConvertSingleBytes(value, from, to);
  }
  return EncodeSide(DecodeSide(value, from), to, map, transliterate);
}

std::string DecodeToUcs2(const std::string& value, TCharsetId from) {
  switch (from) {
    case ciUTF8:
      return DecodeUtf8(value);
    case ciUTF7:
      return DecodeUnits(Utf7ToUcs2(value, false), from, false);
    case ciModifiedUTF7:
      return DecodeUnits(Utf7ToUcs2(value, true), from, false);
    default:
      return DecodeUnits(value, from, IsIn(LittleEndianCharsets, from));
  }
}

// Only whole pairs count: a lone last word has nothing to be replaced by.
std::uint16_t ReplaceCodePoint(std::uint16_t unit, TReplacementMap map) {
  if (!IsMapActive(map)) return unit;
  for (std::size_t i = 0; i + 1 < map.size(); i += 2) {
    if (map[i] == unit) return map[i + 1];
  }
  return unit;
}

TCodeUnitBytes ReadCodeUnit(std::string_view text, std::size_t& position, unsigned size,
                            bool littleEndian) {
  if (size > 4) size = 1;
  TCodeUnitBytes bytes{};
  const std::size_t start = position - 1;
  if (start + size <= text.size()) {
    for (unsigned i = 0; i < size; ++i) {
      const auto byte = static_cast<std::uint8_t>(text[start + i]);
      bytes[littleEndian ? i : size - 1 - i] = byte;
    }
  }
  position += size;
  return bytes;
}

std::string WriteCodeUnit(const TCodeUnitBytes& bytes, unsigned size, bool littleEndian) {
  if (size > 4) size = 1;
  std::string unit(size, '\0');
  for (unsigned i = 0; i < size; ++i) {
    unit[littleEndian ? i : size - 1 - i] = static_cast<char>(bytes[i]);
  }
  return unit;
}

void InitializeCharsetModules() {
  InitializeIconvBinding();
  InitializeCharsetAliases();
}

void FinalizeCharsetModules() {
  FinalizeCharsetAliases();
  FinalizeIconvBinding();
}

}  // namespace sanivo
