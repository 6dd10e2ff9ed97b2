#include "charset/encoders.h"

#include <bit>
#include <cstring>
#include <optional>
#include <vector>

#include "charset/library_sides.h"
#include "charset/text_buffer.h"
#include "charset/unicode_codecs.h"

namespace sanivo {

namespace {

std::uint16_t UnitAt(const unsigned char* pair) {
  return static_cast<std::uint16_t>(pair[0] << 8 | pair[1]);
}

// Four big-endian units at once, all of them below 0x80.
bool AreAsciiUnits(const unsigned char* units) {
  constexpr std::uint64_t kNotAscii =
      std::endian::native == std::endian::little ? 0x80FF80FF80FF80FFu : 0xFF80FF80FF80FF80u;
  std::uint64_t word;
  std::memcpy(&word, units, sizeof word);
  return (word & kNotAscii) == 0;
}

class TBuiltInEncoder : public TEncoder {
 public:
  TBuiltInEncoder(TCharsetId to, TReplacementMap map, bool transliterate)
      : kind_(KindOf(to)),
        littleEndian_(HasLittleEndianUnits(to)),
        map_(map.begin(), map.end()),
        mapActive_(IsMapActive(map)),
        transliterate_(transliterate),
        utf7_(to == ciModifiedUTF7) {
    if (kind_ == TKind::singleByte) reverse_.emplace(to);
  }

  void Encode(std::string_view ucs2, std::string& out) override {
    const auto* in = reinterpret_cast<const unsigned char*>(ucs2.data());
    const std::size_t size = ucs2.size() & ~std::size_t{1};
    if (kind_ == TKind::utf7) {
      for (std::size_t i = 0; i < size; i += 2) utf7_.Put(Mapped(UnitAt(in + i)), out);
      return;
    }
    // A unit gives at most one byte of a code page, three of UTF-8 (a pair four), its two
    // bytes or four; a surrogate held from the last piece four more.
    static constexpr std::size_t kMostBytesPerUnit[] = {1, 3, 2, 4};
    char* target = Extend(out, kMostBytesPerUnit[static_cast<int>(kind_)] * size / 2 + 8);
    if (kind_ == TKind::twoByte) {
      for (std::size_t i = 0; i < size; i += 2) target = PutTwoByte(Mapped(UnitAt(in + i)), target);
    } else {
      std::size_t i = 0;
      while (i < size) {
        // Runs of ASCII four units at a time, into the targets that write it as it is.
        if (!mapActive_ && kind_ != TKind::fourByte && pendingHigh_ == 0) {
          while (size - i >= 8 && AreAsciiUnits(in + i)) {
            for (int k = 0; k < 4; ++k, i += 2) *target++ = static_cast<char>(in[i + 1]);
          }
          if (i == size) break;
        }
        target = PutUnit(Mapped(UnitAt(in + i)), target);
        i += 2;
      }
    }
    Trim(out, target);
  }

  void Finish(std::string& out) override {
    if (kind_ == TKind::utf7) return utf7_.Finish(out);
    if (pendingHigh_ == 0) return;
    char* target = Extend(out, 4);
    target = PutCharacter(pendingHigh_, target);
    pendingHigh_ = 0;
    Trim(out, target);
  }

 private:
  enum class TKind { singleByte, utf8, twoByte, fourByte, utf7 };

  static TKind KindOf(TCharsetId to) {
    if (to == ciUTF7 || to == ciModifiedUTF7) return TKind::utf7;
    if (to == ciUTF8) return TKind::utf8;
    switch (CodeUnitSize(to)) {
      case 2:
        return TKind::twoByte;
      case 4:
        return TKind::fourByte;
      default:
        return TKind::singleByte;
    }
  }

  std::uint16_t Mapped(std::uint16_t unit) const {
    return mapActive_ ? ReplaceCodePoint(unit, map_) : unit;
  }

  // The characters of one-byte, UTF-8 and four-byte targets: a pair is one character, a
  // surrogate without its other half is one that no target holds.
  char* PutUnit(std::uint16_t unit, char* out) {
    if (pendingHigh_ != 0) {
      const std::uint32_t high = pendingHigh_;
      pendingHigh_ = 0;
      if (IsLowSurrogate(unit)) return PutCharacter(CombineSurrogates(high, unit), out);
      out = PutCharacter(high, out);
    }
    if (IsHighSurrogate(unit)) {
      pendingHigh_ = unit;
      return out;
    }
    return PutCharacter(unit, out);
  }

  char* PutCharacter(std::uint32_t character, char* out) const {
    switch (kind_) {
      case TKind::singleByte:
        return reverse_->Put(character, out, transliterate_);
      case TKind::utf8:
        return PutUtf8(IsSurrogate(character) ? kReplacementCharacter : character, out);
      default:
        return PutFourByte(IsSurrogate(character) ? kReplacementCharacter : character, out);
    }
  }

  char* PutTwoByte(std::uint16_t unit, char* out) const {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    *out++ = littleEndian_ ? low : high;
    *out++ = littleEndian_ ? high : low;
    return out;
  }

  char* PutFourByte(std::uint32_t character, char* out) const {
    for (unsigned i = 0; i < 4; ++i) {
      const unsigned shift = littleEndian_ ? 8 * i : 8 * (3 - i);
      *out++ = static_cast<char>(character >> shift & 0xFF);
    }
    return out;
  }

  TKind kind_;
  bool littleEndian_;
  std::vector<std::uint16_t> map_;
  bool mapActive_;
  bool transliterate_;
  std::uint32_t pendingHigh_ = 0;            // the first half of a pair, waiting for the second
  std::optional<TReverseCodePage> reverse_;  // for a one-byte target
  TUtf7Writer utf7_;
};

// The whole intermediate through the library; UTF-7 has its last run closed at the end, by the
// same "-" whose output is cut off as with the whole text.
class TLibraryEncoder : public TEncoder {
 public:
  TLibraryEncoder(TIconvDescriptor descriptor, TCharsetId to)
      : pass_(descriptor), closesUtf7_(to == ciUTF7) {}

  void Encode(std::string_view ucs2, std::string& out) override {
    if (!closesUtf7_) return pass_.Convert(ucs2, out);
    // The last byte made so far may turn out to be the last of all, which is cut off.
    std::string made = std::move(heldBack_);
    pass_.Convert(ucs2, made);
    HoldBackLastByte(made, out);
  }

  void Finish(std::string& out) override {
    if (closesUtf7_) {
      std::string made = std::move(heldBack_);
      pass_.Convert(kUtf7RunCloser, made);
      HoldBackLastByte(made, out);
    }
    pass_.Finish();
    pass_.Flush(out);
  }

 private:
  void HoldBackLastByte(std::string& made, std::string& out) {
    heldBack_.clear();
    if (made.empty()) return;
    heldBack_ = made.back();
    made.pop_back();
    out += made;
  }

  TLibraryPass pass_;
  bool closesUtf7_;
  std::string heldBack_;
};

// With an active map the library encodes a character at a time: a unit, or a pair whole.
class TLibraryCharacterEncoder : public TEncoder {
 public:
  TLibraryCharacterEncoder(TIconvDescriptor descriptor, TCharsetId to, TReplacementMap map)
      : pass_(descriptor), to_(to), map_(map.begin(), map.end()) {}

  void Encode(std::string_view ucs2, std::string& out) override {
    const auto* in = reinterpret_cast<const unsigned char*>(ucs2.data());
    for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
      const std::uint16_t unit = ReplaceCodePoint(UnitAt(in + i), map_);
      if (!character_.empty() && !IsLowSurrogate(unit)) EncodeCharacter(out);
      character_ += static_cast<char>(unit >> 8);
      character_ += static_cast<char>(unit & 0xFF);
      if (!IsHighSurrogate(unit)) EncodeCharacter(out);
    }
  }

  void Finish(std::string& out) override {
    if (!character_.empty()) EncodeCharacter(out);
    pass_.Flush(out);
  }

 private:
  void EncodeCharacter(std::string& out) {
    out += LibraryEncode(pass_.Descriptor(), character_, to_);
    character_.clear();
  }

  TLibraryPass pass_;  // its descriptor, and the flush at the end
  TCharsetId to_;
  std::vector<std::uint16_t> map_;
  std::string character_;  // the units of the character being read
};

}  // namespace

std::unique_ptr<TEncoder> MakeBuiltInEncoder(TCharsetId to, TReplacementMap map,
                                             bool transliterate) {
  return std::make_unique<TBuiltInEncoder>(to, map, transliterate);
}

std::unique_ptr<TEncoder> MakeLibraryEncoder(TIconvDescriptor descriptor, TCharsetId to,
                                             TReplacementMap map) {
  if (IsMapActive(map)) return std::make_unique<TLibraryCharacterEncoder>(descriptor, to, map);
  return std::make_unique<TLibraryEncoder>(descriptor, to);
}

}  // namespace sanivo
