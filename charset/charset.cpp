#include "charset/charset.h"

#include <optional>

#include "charset/decoders.h"
#include "charset/encoders.h"
#include "charset/iconv_binding.h"
#include "charset/library_sides.h"

namespace sanivo {

namespace {

// What the built-in engine needs to know of a charset: the size and byte order of its code
// units. One entry for every value of an id.
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

// Between two one-byte charsets the built-in engine maps byte to byte: one table per pair,
// kept for the pair that came last (the console asks for the same pair every time).
class TSingleBytePairTable {
 public:
  const std::array<char, 256>& For(TCharsetId from, TCharsetId to) {
    const int key = CodePageIndex(from) * kCodePageCount + CodePageIndex(to);
    if (key != key_) {
      table_ = SingleBytePairTable(from, to);
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
  TIconvDescriptor descriptor = OpenLibraryDecoding(CharsetName(from));
  if (descriptor == kNoIconv) return std::nullopt;
  std::string ucs2 = IconvConvert(descriptor, value).output;
  IconvClose(descriptor);
  return ucs2;
}

// The whole text through one decoder or encoder, as the stream puts it through in pieces.
std::string Decoded(TDecoder& decoder, const std::string& value) {
  std::string ucs2;
  decoder.Decode(value, ucs2);
  decoder.Finish(ucs2);
  return ucs2;
}

std::string Encoded(TEncoder& encoder, const std::string& ucs2) {
  std::string result;
  encoder.Encode(ucs2, result);
  encoder.Finish(result);
  return result;
}

}  // namespace

unsigned CodeUnitSize(TCharsetId id) { return kCharsetTraits[id].unitSize; }

bool HasLittleEndianUnits(TCharsetId id) { return kCharsetTraits[id].littleEndian; }

bool IsMapActive(TReplacementMap map) { return map.size() != 1; }

std::string ConvertCharset(const std::string& value, TCharsetId from, TCharsetId to) {
  return ConvertCharsetMapped(value, from, to, NoReplacement);
}

std::string ConvertCharsetMapped(const std::string& value, TCharsetId from, TCharsetId to,
                                 TReplacementMap map) {
  return ConvertCharsetEx(value, from, to, map, true);
}

// Each side asks the library once, the decoding side first; with the library and no map, each
// side is one call over the whole text.
std::string ConvertCharsetEx(const std::string& value, TCharsetId from, TCharsetId to,
                             TReplacementMap map, bool transliterate) {
  if (from == to && !IsMapActive(map)) return value;
  std::optional<std::string> ucs2 = LibraryDecode(value, from);
  TIconvDescriptor encoding = OpenLibraryEncoding(CharsetName(to), transliterate);
  // Both sides built in between one-byte charsets: byte to byte, the same result as going
  // through the intermediate unit by unit.
  if (!ucs2 && encoding == kNoIconv && kCharsetTraits[from].unitSize == 1 &&
      kCharsetTraits[to].unitSize == 1 && !IsMapActive(map) && transliterate) {
    return ConvertSingleBytes(value, from, to);
  }
  if (!ucs2) ucs2 = Decoded(*MakeBuiltInDecoder(from), value);
  if (encoding == kNoIconv) return Encoded(*MakeBuiltInEncoder(to, map, transliterate), *ucs2);
  if (IsMapActive(map)) return Encoded(*MakeLibraryEncoder(encoding, to, map), *ucs2);
  // A stateful target (ISO-2022-JP, ISO-2022-KR) is returned to its initial state, so that the
  // result is a whole text of that charset.
  std::string result = LibraryEncode(encoding, *ucs2, to);
  result += IconvFlush(encoding);
  IconvClose(encoding);
  return result;
}

std::string DecodeToUcs2(const std::string& value, TCharsetId from) {
  return Decoded(*MakeBuiltInDecoder(from), value);
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
