#include "charset/decoders.h"

#include <array>
#include <cstring>

#include "charset/charset.h"
#include "charset/library_sides.h"
#include "charset/unicode_codecs.h"

namespace sanivo {

namespace {

// Room at the end of text for `bytes` more; the caller writes there and then calls Trim.
char* Extend(std::string& text, std::size_t bytes) {
  const std::size_t start = text.size();
  text.resize(start + bytes);
  return text.data() + start;
}

void Trim(std::string& text, const char* end) {
  text.resize(static_cast<std::size_t>(end - text.data()));
}

// Eight bytes at once, none of them with the high bit set.
bool IsAsciiWord(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080u) == 0;
}

char* PutUnit(std::uint32_t unit, char* out) {
  *out++ = static_cast<char>(unit >> 8 & 0xFF);
  *out++ = static_cast<char>(unit & 0xFF);
  return out;
}

// A scalar value as one unit, or above U+FFFF as its surrogate pair.
char* PutScalar(std::uint32_t value, char* out) {
  if (value < 0x10000) return PutUnit(value, out);
  value -= 0x10000;
  out = PutUnit(0xD800 | value >> 10, out);
  return PutUnit(0xDC00 | (value & 0x3FF), out);
}

// What every built-in decoder shares: the count of replacements and the pairing of the 16-bit
// units of a source whose surrogates come one by one.
class TBuiltInDecoder : public TDecoder {
 protected:
  char* PutReplacement(std::uint64_t offset, char* out) {
    if (replacements_.count++ == 0) replacements_.firstOffset = offset;
    return PutUnit(kReplacementCharacter, out);
  }

  // A pair goes on whole; a surrogate without its other half becomes U+FFFD. At most 4 bytes.
  char* PutUtf16Unit(std::uint32_t unit, std::uint64_t offset, char* out) {
    if (pendingHigh_ != 0) {
      if (IsLowSurrogate(unit)) {
        out = PutUnit(pendingHigh_, out);
        pendingHigh_ = 0;
        return PutUnit(unit, out);
      }
      out = EndPairing(out);
    }
    if (IsHighSurrogate(unit)) {
      pendingHigh_ = unit;
      pendingOffset_ = offset;
      return out;
    }
    if (IsLowSurrogate(unit)) return PutReplacement(offset, out);
    return PutUnit(unit, out);
  }

  char* EndPairing(char* out) {
    if (pendingHigh_ == 0) return out;
    pendingHigh_ = 0;
    return PutReplacement(pendingOffset_, out);
  }

  std::uint64_t consumed_ = 0;  // bytes of the text before the current piece

 private:
  std::uint32_t pendingHigh_ = 0;
  std::uint64_t pendingOffset_ = 0;
};

// One byte, one unit, through the code page's table.
class TSingleByteDecoder : public TBuiltInDecoder {
 public:
  explicit TSingleByteDecoder(TCharsetId from) {
    for (unsigned byte = 0; byte < units_.size(); ++byte) {
      PutUnit(DecodeCodePageByte(from, static_cast<unsigned char>(byte)), units_[byte].data());
    }
  }

  void Decode(std::string_view piece, std::string& ucs2) override {
    char* out = Extend(ucs2, 2 * piece.size());
    for (const char byte : piece) {
      std::memcpy(out, units_[static_cast<unsigned char>(byte)].data(), 2);
      out += 2;
    }
    Trim(ucs2, out);
  }
  void Finish(std::string&) override {}

 private:
  std::array<std::array<char, 2>, 256> units_;
};

// Units of two or four bytes: a byte-order mark is dropped and a swapped one turns the byte
// order for the rest of the text; a unit that the end cuts short becomes U+FFFD. Four-byte
// units above U+FFFF become pairs, those that are no character U+FFFD.
class TUnitDecoder : public TBuiltInDecoder {
 public:
  TUnitDecoder(unsigned size, bool littleEndian) : size_(size), littleEndian_(littleEndian) {}

  void Decode(std::string_view piece, std::string& ucs2) override {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t size = piece.size();
    // A unit gives at most four bytes, and one begun in the last piece as many.
    char* out = Extend(ucs2, 2 * size + 8);
    std::size_t i = 0;
    while (held_ > 0 && i < size) {
      unit_[held_++] = bytes[i++];
      if (held_ == size_) {
        out = Put(Read(unit_), unitOffset_, out);
        held_ = 0;
      }
    }
    for (; i + size_ <= size; i += size_) out = Put(Read(bytes + i), consumed_ + i, out);
    if (i < size) unitOffset_ = consumed_ + i;
    for (; i < size; ++i) unit_[held_++] = bytes[i];
    consumed_ += size;
    Trim(ucs2, out);
  }

  void Finish(std::string& ucs2) override {
    char* out = Extend(ucs2, 4);
    out = EndPairing(out);
    if (held_ > 0) out = PutReplacement(unitOffset_, out);
    held_ = 0;
    Trim(ucs2, out);
  }

 private:
  std::uint32_t Read(const unsigned char* bytes) const {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < size_; ++i) {
      value = value << 8 | bytes[littleEndian_ ? size_ - 1 - i : i];
    }
    return value;
  }

  char* Put(std::uint32_t value, std::uint64_t offset, char* out) {
    if (value == kSwappedByteOrderMark) {
      littleEndian_ = !littleEndian_;
      return out;
    }
    if (value == kByteOrderMark) return out;
    if (size_ == 2) return PutUtf16Unit(value, offset, out);
    return IsScalarValue(value) ? PutScalar(value, out) : PutReplacement(offset, out);
  }

  unsigned size_;
  bool littleEndian_;
  unsigned char unit_[4] = {};
  unsigned held_ = 0;  // bytes of a unit that the last piece began
  std::uint64_t unitOffset_ = 0;
};

// UTF-8, well-formed sequences only; a byte-order mark is dropped (UTF-8 has no byte order).
class TUtf8Decoder : public TBuiltInDecoder {
 public:
  void Decode(std::string_view piece, std::string& ucs2) override {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t size = piece.size();
    // A byte gives at most one unit, a four-byte sequence two; one begun in the last piece
    // gives up to two units for its last byte.
    char* out = Extend(ucs2, 2 * size + 8);
    std::size_t i = 0;
    while (held_ > 0 && i < size) {
      // The held bytes are a well-formed beginning, so the step takes all of them, and the
      // new byte too unless it does not go on with them.
      heldBytes_[held_] = bytes[i];
      const TUtf8Step step = ReadUtf8Step(heldBytes_, held_ + 1, false);
      if (step.length == 0) {
        ++held_;
        ++i;
        continue;
      }
      i += step.length - held_;
      held_ = 0;
      out = Put(step.value, heldOffset_, out);
    }
    while (i < size) {
      if (size - i >= 8 && IsAsciiWord(bytes + i)) {
        for (int k = 0; k < 8; ++k) out = PutUnit(bytes[i++], out);
        continue;
      }
      if (bytes[i] < 0x80) {
        out = PutUnit(bytes[i++], out);
        continue;
      }
      const TUtf8Step step = ReadUtf8Step(bytes + i, size - i, false);
      if (step.length == 0) {
        heldOffset_ = consumed_ + i;
        while (i < size) heldBytes_[held_++] = bytes[i++];
        break;
      }
      out = Put(step.value, consumed_ + i, out);
      i += step.length;
    }
    consumed_ += size;
    Trim(ucs2, out);
  }

  // A sequence that the end cuts short is one ill-formed subpart.
  void Finish(std::string& ucs2) override {
    if (held_ == 0) return;
    held_ = 0;
    char* out = Extend(ucs2, 2);
    Trim(ucs2, PutReplacement(heldOffset_, out));
  }

 private:
  char* Put(std::uint32_t value, std::uint64_t offset, char* out) {
    if (value == kIllFormed) return PutReplacement(offset, out);
    if (value == kByteOrderMark) return out;
    return PutScalar(value, out);
  }

  unsigned char heldBytes_[4] = {};
  unsigned held_ = 0;
  std::uint64_t heldOffset_ = 0;
};

// UTF-7 and modified UTF-7: a run's length decides how it is read, so a run is held whole until
// it ends. A byte-order mark is dropped; pairs come as two units of a run.
class TUtf7Decoder : public TBuiltInDecoder {
 public:
  explicit TUtf7Decoder(bool modified)
      : modified_(modified), shift_(Utf7ShiftCharacter(modified)) {}

  void Decode(std::string_view piece, std::string& ucs2) override {
    for (std::size_t i = 0; i < piece.size(); ++i) {
      const char c = piece[i];
      if (inRun_) {
        if (IsUtf7RunCharacter(c, modified_)) {
          run_ += c;
          continue;
        }
        EndRun(ucs2);
        if (c == '-') continue;
      }
      if (c == shift_) {
        inRun_ = true;
        runOffset_ = consumed_ + i;
      } else {
        PutUnitTo(ucs2, static_cast<unsigned char>(c), consumed_ + i);
      }
    }
    consumed_ += piece.size();
  }

  void Finish(std::string& ucs2) override {
    if (inRun_) EndRun(ucs2);
    char unit[2];
    ucs2.append(unit, EndPairing(unit));
  }

 private:
  void EndRun(std::string& ucs2) {
    units_.clear();
    AppendUtf7Run(units_, run_, modified_);
    for (std::size_t i = 0; i + 1 < units_.size(); i += 2) {
      const auto high = static_cast<unsigned char>(units_[i]);
      const auto low = static_cast<unsigned char>(units_[i + 1]);
      PutUnitTo(ucs2, high << 8 | low, runOffset_);
    }
    run_.clear();
    inRun_ = false;
  }

  void PutUnitTo(std::string& ucs2, std::uint32_t unit, std::uint64_t offset) {
    if (unit == kByteOrderMark) return;
    char units[4];
    ucs2.append(units, PutUtf16Unit(unit, offset, units));
  }

  bool modified_;
  char shift_;
  bool inRun_ = false;
  std::uint64_t runOffset_ = 0;
  std::string run_;
  std::string units_;  // the run decoded
};

class TLibraryDecoder : public TDecoder {
 public:
  explicit TLibraryDecoder(TIconvDescriptor descriptor) : pass_(descriptor) {}
  void Decode(std::string_view piece, std::string& ucs2) override { pass_.Convert(piece, ucs2); }
  void Finish(std::string&) override { pass_.Finish(); }

 private:
  TLibraryPass pass_;
};

}  // namespace

std::unique_ptr<TDecoder> MakeBuiltInDecoder(TCharsetId from) {
  switch (from) {
    case ciUTF8:
      return std::make_unique<TUtf8Decoder>();
    case ciUTF7:
      return std::make_unique<TUtf7Decoder>(false);
    case ciModifiedUTF7:
      return std::make_unique<TUtf7Decoder>(true);
    default:
      if (CodeUnitSize(from) == 1) return std::make_unique<TSingleByteDecoder>(from);
      return std::make_unique<TUnitDecoder>(CodeUnitSize(from), HasLittleEndianUnits(from));
  }
}

std::unique_ptr<TDecoder> MakeLibraryDecoder(TIconvDescriptor descriptor) {
  return std::make_unique<TLibraryDecoder>(descriptor);
}

}  // namespace sanivo
