#include "charset/charset.h"

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

// What the built-in engine needs to know of a charset: the size and byte order of its code
// units. One entry for every value of an id, looked up once per conversion.
struct TCharsetTraits {
  unsigned unitSize = 1;
  bool littleEndian = false;
};

constexpr std::array<TCharsetTraits, 256> MakeCharsetTraits() {
  std::array<TCharsetTraits, 256> traits{};
  for (const TCharsetId id : TwoByteCharsets) traits[id].unitSize = 2;
  for (const TCharsetId id : FourByteCharsets) traits[id].unitSize = 4;
  for (const TCharsetId id : LittleEndianCharsets) traits[id].littleEndian = true;
  return traits;
}

constexpr std::array<TCharsetTraits, 256> kCharsetTraits = MakeCharsetTraits();

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

// The library's decoding into the intermediate; none when it does not take the charset.
std::optional<std::string> LibraryDecode(const std::string& value, TCharsetId from) {
  TIconvDescriptor descriptor = IconvOpenIgnore(kIntermediateName, CharsetName(from));
  if (descriptor == kNoIconv) return std::nullopt;
  std::string ucs2 = IconvConvert(descriptor, value).output;
  IconvClose(descriptor);
  return ucs2;
}

TIconvDescriptor OpenEncoder(TCharsetId to, bool transliterate) {
  const std::string toName = CharsetName(to);
  return transliterate ? IconvOpenTranslit(toName, kIntermediateName)
                       : IconvOpenIgnore(toName, kIntermediateName);
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

std::string EncodeUnitByUnit(const std::string& ucs2, TCharsetId to, const TCharsetTraits& target,
                             TReplacementMap map, bool transliterate, TIconvDescriptor descriptor) {
  std::string result;
  for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
    auto unit = static_cast<std::uint16_t>(ReadBigEndian(ucs2, i, 2));
    if (IsMapActive(map)) unit = ReplaceCodePoint(unit, map);
    if (descriptor != kNoIconv) {
      std::string pair;
      AppendUnit(pair, unit);
      result += LibraryEncode(descriptor, pair, to);
    } else if (target.unitSize == 1) {
      if (unit <= 0x7F) {
        result += static_cast<char>(unit);
      } else if (const std::optional<char> byte = EncodeSingleByte(to, unit, transliterate)) {
        result += *byte;
      }
    } else {
      const auto low = static_cast<std::uint8_t>(unit & 0xFF);
      const auto high = static_cast<std::uint8_t>(unit >> 8);
      result += WriteCodeUnit({low, high, 0, 0}, target.unitSize, target.littleEndian);
    }
  }
  return result;
}

std::string EncodeSide(const std::string& ucs2, TCharsetId to, const TCharsetTraits& target,
                       TReplacementMap map, bool transliterate, TIconvDescriptor descriptor) {
  if (descriptor == kNoIconv) {
    return LastPass(EncodeUnitByUnit(ucs2, to, target, map, transliterate, descriptor), to);
  }
  std::string result = IsMapActive(map)
                           ? EncodeUnitByUnit(ucs2, to, target, map, transliterate, descriptor)
                           : LibraryEncode(descriptor, ucs2, to);
  // A stateful target (ISO-2022-JP, ISO-2022-KR) is returned to its initial state, so that the
  // result is a whole text of that charset.
  return result + IconvFlush(descriptor);
}

// The built-in decoding of fixed-size units into UCS-2BE, appended to ucs2.
void AppendDecodedUnits(std::string& ucs2, std::string_view text, TCharsetId from,
                        unsigned unitSize, bool littleEndian) {
  const TCharsetTable& table = GetCharsetTable(from);
  for (std::size_t position = 1; position <= text.size();) {
    TCodeUnitBytes unit = ReadCodeUnit(text, position, unitSize, littleEndian);
    if (unit[3] == 0 && unit[2] == 0) {
      const auto value = static_cast<std::uint16_t>(unit[1] << 8 | unit[0]);
      if (value == kSwappedByteOrderMark) {
        littleEndian = !littleEndian;
        continue;
      }
      if (value == kByteOrderMark) continue;
    }
    if (unitSize == 1 && unit[0] >= kFirstTableByte) {
      const std::uint16_t character = table[unit[0] - kFirstTableByte];
      unit[0] = static_cast<std::uint8_t>(character & 0xFF);
      unit[1] = static_cast<std::uint8_t>(character >> 8);
    }
    ucs2 += static_cast<char>(unit[1]);
    ucs2 += static_cast<char>(unit[0]);
  }
}

std::string DecodeUnits(std::string_view text, TCharsetId from, const TCharsetTraits& source) {
  std::string ucs2;
  ucs2.reserve(2 * text.size() / source.unitSize + 2);
  AppendDecodedUnits(ucs2, text, from, source.unitSize, source.littleEndian);
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
      AppendDecodedUnits(ucs2, Utf8ToUcs4(utf8.substr(i)), ciUTF8, 4, true);
      return ucs2;
    }
    chunk[used++] = static_cast<char>(value >> 8 & 0xFF);
    chunk[used++] = static_cast<char>(value & 0xFF);
  }
  ucs2.append(chunk, used);
  return ucs2;
}

std::string DecodeBuiltIn(const std::string& value, TCharsetId from, const TCharsetTraits& source) {
  switch (from) {
    case ciUTF8:
      return DecodeUtf8(value);
    case ciUTF7:
      return DecodeUnits(Utf7ToUcs2(value, false), from, source);
    case ciModifiedUTF7:
      return DecodeUnits(Utf7ToUcs2(value, true), from, source);
    default:
      return DecodeUnits(value, from, source);
  }
}

}  // namespace

std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to) {
  return ConvertCharsetMapped(value, from, to, NoReplacement);
}

std::string ConvertCharsetMapped(const std::string& value, TCharsetId from, TCharsetId to,
                                 TReplacementMap map) {
  return ConvertCharsetEx(value, from, to, map, true);
}

// Each side asks the library once, the decoding side first, and its descriptor is closed
// before the encoding one is opened.
std::string ConvertCharsetEx(const std::string& value, TCharsetId from, TCharsetId to,
                             TReplacementMap map, bool transliterate) {
  if (from == to && !IsMapActive(map)) return value;
  const TCharsetTraits& source = kCharsetTraits[from];
  const TCharsetTraits& target = kCharsetTraits[to];
  std::optional<std::string> ucs2 = LibraryDecode(value, from);
  TIconvDescriptor encoder = OpenEncoder(to, transliterate);
  std::string result;
  // Both sides built in between one-byte charsets: byte to byte, the same result as going
  // through the intermediate unit by unit.
  if (!ucs2 && encoder == kNoIconv && source.unitSize == 1 && target.unitSize == 1 &&
      !IsMapActive(map) && transliterate) {
    result = ConvertSingleBytes(value, from, to);
  } else {
    if (!ucs2) ucs2 = DecodeBuiltIn(value, from, source);
    result = EncodeSide(*ucs2, to, target, map, transliterate, encoder);
  }
  IconvClose(encoder);
  return result;
}

std::string DecodeToUcs2(const std::string& value, TCharsetId from) {
  return DecodeBuiltIn(value, from, kCharsetTraits[from]);
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
  // Positions count from 1; one outside the text, or too near its end, reads nothing.
  const std::size_t start = position - 1;
  if (position >= 1 && start <= text.size() && size <= text.size() - start) {
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
