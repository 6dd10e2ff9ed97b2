#include "charset/decoders.h"

#include "charset/charset.h"
#include "charset/decoding_units.h"
#include "charset/library_sides.h"

namespace sanivo {

namespace {

using namespace decoding;

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
      return std::make_unique<TUtf8Decoder<TIntermediateSink>>();
    case ciUTF7:
      return std::make_unique<TUtf7Decoder>(false);
    case ciModifiedUTF7:
      return std::make_unique<TUtf7Decoder>(true);
    default:
      if (CodeUnitSize(from) == 1) return std::make_unique<TSingleByteDecoder<false>>(from);
      return std::make_unique<TUnitDecoder>(CodeUnitSize(from), HasLittleEndianUnits(from));
  }
}

std::unique_ptr<TDecoder> MakeLibraryDecoder(TIconvDescriptor descriptor) {
  return std::make_unique<TLibraryDecoder>(descriptor);
}

}  // namespace sanivo
