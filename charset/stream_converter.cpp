#include "charset/stream_converter.h"

#include <cstring>
#include <optional>

#include "charset/unicode_codecs.h"

namespace sanivo {

namespace {

// The longest input the library may leave unconverted at the end of a piece because it is a
// sequence cut short (an escape, a multi-byte character, "\uD800\uDC00" in JAVA). Anything
// longer left over means the library stopped for good, and the rest of the text is lost, as it
// is when the whole text goes through one call.
constexpr std::size_t kLongestUnfinishedSequence = 64;

// A unit of these values is a byte-order mark: the first is dropped, the second turns the byte
// order for the rest of the text.
constexpr std::uint16_t kByteOrderMark = 0xFEFF;
constexpr std::uint16_t kSwappedByteOrderMark = 0xFFFE;

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Room at the end of text for `bytes` more; the caller writes there and then calls Trim.
char* Extend(std::string& text, std::size_t bytes) {
  const std::size_t start = text.size();
  text.resize(start + bytes);
  return text.data() + start;
}

void Trim(std::string& text, const char* end) {
  text.resize(static_cast<std::size_t>(end - text.data()));
}

bool IsAsciiWord(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080u) == 0;
}

// The built-in reading of code units into the intermediate: a byte-order mark is dropped and a
// swapped one turns the byte order for the rest of the text; one-byte units go through the
// charset's table. `value` is the unit as read in the order the text had so far.
class TUnitReader {
 public:
  TUnitReader(TCharsetId from, bool littleEndian)
      : table_(GetCharsetTable(from)), size_(CodeUnitSize(from)), littleEndian_(littleEndian) {}

  unsigned Size() const { return size_; }
  bool LittleEndian() const { return littleEndian_; }

  // One unit whose bytes are in text order, most significant first when big-endian.
  void PutBytes(const unsigned char* bytes, char*& out) {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < size_; ++i) {
      const unsigned shift = littleEndian_ ? 8 * i : 8 * (size_ - 1 - i);
      value |= static_cast<std::uint32_t>(bytes[i]) << shift;
    }
    Put(value, out);
  }

  // Writes at most two bytes.
  void Put(std::uint32_t value, char*& out) {
    if (value >> 16 == 0) {
      if (value == kSwappedByteOrderMark) {
        littleEndian_ = !littleEndian_;
        return;
      }
      if (value == kByteOrderMark) return;
    }
    if (size_ == 1 && value >= kFirstTableByte) value = table_[value - kFirstTableByte];
    *out++ = static_cast<char>(value >> 8 & 0xFF);
    *out++ = static_cast<char>(value & 0xFF);
  }

 private:
  const TCharsetTable& table_;
  unsigned size_;
  bool littleEndian_;
};

}  // namespace

// Text in the source charset to the intermediate.
class TStreamConverter::TDecoder {
 public:
  virtual ~TDecoder() = default;
  virtual void Decode(std::string_view piece, std::string& ucs2) = 0;
  virtual void Finish(std::string& ucs2) = 0;
};

// The intermediate to text in the target charset, whole units only.
class TStreamConverter::TEncoder {
 public:
  virtual ~TEncoder() = default;
  virtual void Encode(std::string_view ucs2, std::string& out) = 0;
  virtual void Finish(std::string& out) = 0;
};

namespace {

using TDecoder = TStreamConverter::TDecoder;
using TEncoder = TStreamConverter::TEncoder;

// One descriptor of the library for the whole stream; an unfinished sequence at the end of a
// piece waits for the next one.
class TLibraryPass {
 public:
  explicit TLibraryPass(TIconvDescriptor descriptor) : descriptor_(descriptor) {}
  ~TLibraryPass() { IconvClose(descriptor_); }
  TLibraryPass(const TLibraryPass&) = delete;
  TLibraryPass& operator=(const TLibraryPass&) = delete;

  TIconvDescriptor Descriptor() const { return descriptor_; }

  void Convert(std::string_view piece, std::string& out) {
    if (stopped_) return;
    std::string_view input = piece;
    if (!unfinished_.empty()) {
      unfinished_.append(piece);
      input = unfinished_;
    }
    std::size_t produced = 0;
    const std::size_t consumed = IconvConvertInto(descriptor_, input, buffer_, produced);
    out.append(buffer_, 0, produced);
    const std::size_t left = input.size() - consumed;
    if (left > kLongestUnfinishedSequence) {
      stopped_ = true;
      unfinished_.clear();
      return;
    }
    unfinished_ = std::string(input.substr(consumed));
  }

  // Whatever is unfinished at the end is lost, as at the end of one call over the whole text.
  void Finish() { unfinished_.clear(); }

  // An encoder's way back to its initial state, after the text.
  void Flush(std::string& out) { out += IconvFlush(descriptor_); }

 private:
  TIconvDescriptor descriptor_;
  std::string buffer_;  // the library's output, kept for the next piece
  std::string unfinished_;
  bool stopped_ = false;
};

class TLibraryDecoder : public TDecoder {
 public:
  explicit TLibraryDecoder(TIconvDescriptor descriptor) : pass_(descriptor) {}
  void Decode(std::string_view piece, std::string& ucs2) override { pass_.Convert(piece, ucs2); }
  void Finish(std::string&) override { pass_.Finish(); }

 private:
  TLibraryPass pass_;
};

// Units of one, two or four bytes; a unit that the text cuts short reads as 0.
class TUnitDecoder : public TDecoder {
 public:
  explicit TUnitDecoder(TCharsetId from) : reader_(from, HasLittleEndianUnits(from)) {}

  void Decode(std::string_view piece, std::string& ucs2) override {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const unsigned size = reader_.Size();
    char* out = Extend(ucs2, 2 * piece.size() + 2);
    std::size_t i = 0;
    while (begun_ > 0 && i < piece.size()) {
      unit_[begun_++] = bytes[i++];
      if (begun_ == size) {
        reader_.PutBytes(unit_, out);
        begun_ = 0;
      }
    }
    if (size == 1) {
      for (; i < piece.size(); ++i) reader_.Put(bytes[i], out);
    } else {
      for (; i + size <= piece.size(); i += size) reader_.PutBytes(bytes + i, out);
      for (; i < piece.size(); ++i) unit_[begun_++] = bytes[i];
    }
    Trim(ucs2, out);
  }

  void Finish(std::string& ucs2) override {
    if (begun_ == 0) return;
    begun_ = 0;
    char* out = Extend(ucs2, 2);
    reader_.Put(0, out);
    Trim(ucs2, out);
  }

 private:
  TUnitReader reader_;
  unsigned char unit_[4] = {};
  unsigned begun_ = 0;
};

// UTF-8 as if through big-endian four-byte units: a sequence takes every continuation byte that
// follows its first byte, so it is complete only when another byte (or the end) comes.
class TUtf8Decoder : public TDecoder {
 public:
  TUtf8Decoder() : reader_(ciUTF8, false) {}

  void Decode(std::string_view piece, std::string& ucs2) override {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t size = piece.size();
    // Every byte gives at most one unit of two bytes, and the open sequence one more.
    char* out = Extend(ucs2, 2 * size + 2);
    std::size_t i = 0;
    if (open_) {
      while (i < size && IsContinuationByte(bytes[i])) value_ = value_ << 6 | (bytes[i++] & 0x3F);
      if (i < size) {
        open_ = false;
        Put(value_, out);
      }
    }
    // The common sequences are written here directly, the rest through the reader.
    while (i < size) {
      const unsigned char lead = bytes[i];
      if (!reader_.LittleEndian()) {
        // Runs of ASCII eight bytes at a time.
        if (lead < 0x80) {
          if (i + 8 <= size && IsAsciiWord(bytes + i)) {
            for (int k = 0; k < 8; ++k) {
              *out++ = '\0';
              *out++ = static_cast<char>(bytes[i++]);
            }
            continue;
          }
          *out++ = '\0';
          *out++ = static_cast<char>(lead);
          ++i;
          continue;
        }
        // A sequence of two or three bytes that the next byte ends, and no byte-order mark.
        if (i + 3 < size) {
          const unsigned char second = bytes[i + 1], third = bytes[i + 2];
          if ((lead & 0xE0) == 0xC0 && IsContinuationByte(second) && !IsContinuationByte(third)) {
            const std::uint32_t value = (lead & 0x1Fu) << 6 | (second & 0x3Fu);
            *out++ = static_cast<char>(value >> 8);
            *out++ = static_cast<char>(value & 0xFF);
            i += 2;
            continue;
          }
          if ((lead & 0xF0) == 0xE0 && IsContinuationByte(second) && IsContinuationByte(third) &&
              !IsContinuationByte(bytes[i + 3])) {
            const std::uint32_t value =
                (lead & 0x0Fu) << 12 | (second & 0x3Fu) << 6 | (third & 0x3Fu);
            if (value != kByteOrderMark && value != kSwappedByteOrderMark) {
              *out++ = static_cast<char>(value >> 8);
              *out++ = static_cast<char>(value & 0xFF);
              i += 3;
              continue;
            }
          }
        }
      }
      ++i;
      if (lead < 0x80) {
        Put(lead, out);
        continue;
      }
      std::uint32_t value = Utf8LeadByteBits(lead);
      while (i < size && IsContinuationByte(bytes[i])) value = value << 6 | (bytes[i++] & 0x3F);
      if (i == size) {
        open_ = true;
        value_ = value;
        break;
      }
      Put(value, out);
    }
    Trim(ucs2, out);
  }

  void Finish(std::string& ucs2) override {
    if (!open_) return;
    open_ = false;
    char* out = Extend(ucs2, 2);
    Put(value_, out);
    Trim(ucs2, out);
  }

 private:
  // The value is a big-endian four-byte unit; after a swapped mark it is read the other way.
  void Put(std::uint32_t value, char*& out) {
    if (reader_.LittleEndian()) {
      value = value >> 24 | (value >> 8 & 0xFF00) | (value << 8 & 0xFF0000) | value << 24;
    }
    reader_.Put(value, out);
  }

  TUnitReader reader_;
  bool open_ = false;  // a sequence that the next piece may go on with
  std::uint32_t value_ = 0;
};

// UTF-7 and modified UTF-7 to big-endian two-byte units, then read as such. A run's length
// decides how it is read, so a run is held whole until it ends.
class TUtf7Decoder : public TDecoder {
 public:
  TUtf7Decoder(TCharsetId from, bool modified)
      : units_(from), modified_(modified), shift_(Utf7ShiftCharacter(modified)) {}

  void Decode(std::string_view piece, std::string& ucs2) override {
    direct_.clear();
    for (const char c : piece) {
      if (inRun_) {
        if (IsUtf7RunCharacter(c, modified_)) {
          run_ += c;
          continue;
        }
        EndRun();
        if (c == '-') continue;
      }
      if (c == shift_) {
        inRun_ = true;
      } else {
        direct_ += '\0';
        direct_ += c;
      }
    }
    units_.Decode(direct_, ucs2);
  }

  void Finish(std::string& ucs2) override {
    direct_.clear();
    if (inRun_) EndRun();
    units_.Decode(direct_, ucs2);
    units_.Finish(ucs2);
  }

 private:
  void EndRun() {
    AppendUtf7Run(direct_, run_, modified_);
    run_.clear();
    inRun_ = false;
  }

  TUnitDecoder units_;
  bool modified_;
  char shift_;
  bool inRun_ = false;
  std::string run_;
  std::string direct_;  // this piece as two-byte units
};

std::unique_ptr<TDecoder> BuiltInDecoder(TCharsetId from) {
  switch (from) {
    case ciUTF8:
      return std::make_unique<TUtf8Decoder>();
    case ciUTF7:
      return std::make_unique<TUtf7Decoder>(from, false);
    case ciModifiedUTF7:
      return std::make_unique<TUtf7Decoder>(from, true);
    default:
      return std::make_unique<TUnitDecoder>(from);
  }
}

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

// With an active map the library encodes unit by unit, each unit in a call of its own.
class TLibraryUnitEncoder : public TEncoder {
 public:
  TLibraryUnitEncoder(TIconvDescriptor descriptor, TCharsetId to, std::vector<std::uint16_t> map)
      : pass_(descriptor), to_(to), map_(std::move(map)) {}

  void Encode(std::string_view ucs2, std::string& out) override {
    for (std::size_t i = 0; i < ucs2.size(); i += 2) {
      std::uint16_t unit = static_cast<std::uint16_t>(static_cast<unsigned char>(ucs2[i]) << 8 |
                                                      static_cast<unsigned char>(ucs2[i + 1]));
      unit = ReplaceCodePoint(unit, map_);
      const char pair[2] = {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
      out += LibraryEncode(pass_.Descriptor(), std::string(pair, 2), to_);
    }
  }
  void Finish(std::string& out) override { pass_.Flush(out); }

 private:
  TLibraryPass pass_;  // its descriptor, and the flush at the end
  TCharsetId to_;
  std::vector<std::uint16_t> map_;
};

// The built-in encoding of units: one-byte charsets through a reverse table, two- and four-byte
// units as they are, UTF-8 and the UTF-7 variants by a last pass over the units.
class TBuiltInEncoder : public TEncoder {
 public:
  TBuiltInEncoder(TCharsetId to, std::vector<std::uint16_t> map, bool transliterate)
      : to_(to),
        size_(CodeUnitSize(to)),
        littleEndian_(HasLittleEndianUnits(to)),
        map_(std::move(map)),
        transliterate_(transliterate) {
    if (size_ == 1) {
      for (const std::uint16_t value : GetCharsetTable(to)) {
        if (const std::optional<unsigned char> byte = EncodeCodePageChar(to, value)) {
          std::uint8_t& page = pageOf_[value >> 8];
          if (page == 0) {
            pages_.emplace_back();
            page = static_cast<std::uint8_t>(pages_.size());
          }
          pages_[page - 1][value & 0xFF] = *byte;
        }
      }
    }
    if (to == ciUTF7 || to == ciModifiedUTF7) {
      const bool modified = to == ciModifiedUTF7;
      shift_ = Utf7ShiftCharacter(modified);
      alphabet_ = Utf7Alphabet(modified);
    }
  }

  void Encode(std::string_view ucs2, std::string& out) override {
    if (to_ == ciUCS2 && !IsMapActive(map_)) {
      out += ucs2;
      return;
    }
    const auto* in = reinterpret_cast<const unsigned char*>(ucs2.data());
    if (to_ == ciUTF7 || to_ == ciModifiedUTF7) {
      for (std::size_t i = 0; i < ucs2.size(); i += 2) PutUtf7(UnitAt(in + i), out);
      return;
    }
    // A unit gives at most four bytes; written in place, the common targets in loops of their
    // own.
    char* target = Extend(out, 2 * ucs2.size());
    if (IsMapActive(map_)) {
      for (std::size_t i = 0; i < ucs2.size(); i += 2) Put(UnitAt(in + i), target);
    } else if (to_ == ciUTF8) {
      for (std::size_t i = 0; i < ucs2.size(); i += 2) PutUtf8(UnitAt(in + i), target);
    } else if (size_ == 1) {
      for (std::size_t i = 0; i < ucs2.size(); i += 2) {
        if (in[i] == 0 && in[i + 1] < 0x80) {
          *target++ = static_cast<char>(in[i + 1]);
        } else {
          PutSingleByte(UnitAt(in + i), target);
        }
      }
    } else {
      for (std::size_t i = 0; i < ucs2.size(); i += 2) Put(UnitAt(in + i), target);
    }
    Trim(out, target);
  }

  void Finish(std::string& out) override {
    if (inRun_) CloseRun(out);
  }

 private:
  std::uint16_t UnitAt(const unsigned char* pair) const {
    const auto unit = static_cast<std::uint16_t>(pair[0] << 8 | pair[1]);
    return IsMapActive(map_) ? ReplaceCodePoint(unit, map_) : unit;
  }

  void Put(std::uint16_t unit, char*& out) const {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    if (to_ == ciUTF8) return PutUtf8(unit, out);
    if (size_ == 1) return PutSingleByte(unit, out);
    if (size_ == 2) {
      *out++ = littleEndian_ ? low : high;
      *out++ = littleEndian_ ? high : low;
    } else if (littleEndian_) {
      *out++ = low;
      *out++ = high;
      *out++ = '\0';
      *out++ = '\0';
    } else {
      *out++ = '\0';
      *out++ = '\0';
      *out++ = high;
      *out++ = low;
    }
  }

  void PutSingleByte(std::uint16_t unit, char*& out) const {
    if (unit <= 0x7F) {
      *out++ = static_cast<char>(unit);
    } else if (const unsigned char byte = TargetByte(unit)) {
      *out++ = static_cast<char>(byte);
    } else if (transliterate_) {
      *out++ = '_';
    }
  }

  unsigned char TargetByte(std::uint16_t unit) const {
    const std::uint8_t page = pageOf_[unit >> 8];
    return page == 0 ? 0 : pages_[page - 1][unit & 0xFF];
  }

  // Standard UTF-8 of a unit, as the last pass gives it for values up to 0xFFFF.
  static void PutUtf8(std::uint16_t unit, char*& out) {
    if (unit < 0x80) {
      *out++ = static_cast<char>(unit);
    } else if (unit < 0x800) {
      *out++ = static_cast<char>(0xC0 | unit >> 6);
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      *out++ = static_cast<char>(0xE0 | unit >> 12);
      *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
  }

  // Units from 0x80 up form one base64 run, written three bytes at a time as it grows.
  void PutUtf7(std::uint16_t unit, std::string& out) {
    if (unit < 0x80) {
      if (inRun_) CloseRun(out);
      out += static_cast<char>(unit);
      if (unit == static_cast<unsigned char>(shift_)) out += '-';
      return;
    }
    if (!inRun_) {
      out += shift_;
      inRun_ = true;
    }
    runBytes_ += static_cast<char>(unit >> 8);
    runBytes_ += static_cast<char>(unit & 0xFF);
    if (runBytes_.size() >= 3) {
      out += EncodeBase64With(std::string_view(runBytes_).substr(0, 3), alphabet_);
      runBytes_.erase(0, 3);
    }
  }

  void CloseRun(std::string& out) {
    const std::string encoded = EncodeBase64With(runBytes_, alphabet_);
    out += encoded.substr(0, encoded.find('='));
    out += '-';
    runBytes_.clear();
    inRun_ = false;
  }

  TCharsetId to_;
  unsigned size_;
  bool littleEndian_;
  std::vector<std::uint16_t> map_;
  bool transliterate_;
  // The target byte of each unit by its high byte's page, 0 for none: a one-byte charset
  // reaches only a few pages.
  std::array<std::uint8_t, 256> pageOf_{};
  std::vector<std::array<unsigned char, 256>> pages_;
  char shift_ = '+';
  std::string_view alphabet_;
  bool inRun_ = false;
  std::string runBytes_;  // at most two bytes not yet written
};

}  // namespace

TStreamConverter::TStreamConverter(TCharsetId from, TCharsetId to, TReplacementMap map,
                                   bool transliterate) {
  if (from == to && !IsMapActive(map)) {
    mode_ = TMode::passThrough;
    return;
  }
  const std::vector<std::uint16_t> words(map.begin(), map.end());
  TIconvDescriptor decoding = IconvOpenIgnore(kIntermediateName, CharsetName(from));
  TIconvDescriptor encoding = OpenEncoder(to, transliterate);
  decodesThroughLibrary_ = decoding != kNoIconv;
  encodesThroughLibrary_ = encoding != kNoIconv;
  if (!decodesThroughLibrary_ && !encodesThroughLibrary_ && !IsMapActive(map) && transliterate &&
      CodeUnitSize(from) == 1 && CodeUnitSize(to) == 1) {
    mode_ = TMode::byteTable;
    byteTable_ = SingleBytePairTable(from, to);
    return;
  }
  // From a code page of one byte per character, all of them in the intermediate, into another
  // such code page or UTF-8, the library gives the same text in one pass as in two: the same
  // characters, skipped or transliterated alike. Stateful targets are left out: with less room
  // per input byte the library runs out of it more often, and one asked again may announce its
  // escapes again (glibc's ISO-2022-CN-EXT does). So is Windows-1255 and -1258, whose decoders
  // hold a character back to combine it with the marks that follow: the end of two passes
  // flushes the encoder only, and loses it.
  const bool combinesMarks = from == ciWindows1255 || from == ciWindows1258;
  const bool oneCharacterAByte = from < kCodePageCount && !combinesMarks;
  if (decodesThroughLibrary_ && encodesThroughLibrary_ && !IsMapActive(map) && oneCharacterAByte &&
      (to < kCodePageCount || to == ciUTF8)) {
    const TIconvDescriptor direct = transliterate
                                        ? IconvOpenTranslit(CharsetName(to), CharsetName(from))
                                        : IconvOpenIgnore(CharsetName(to), CharsetName(from));
    if (direct != kNoIconv) {
      IconvClose(decoding);
      IconvClose(encoding);
      mode_ = TMode::direct;
      encoder_ = std::make_unique<TLibraryEncoder>(direct, to);
      return;
    }
  }
  if (decodesThroughLibrary_) {
    decoder_ = std::make_unique<TLibraryDecoder>(decoding);
  } else {
    decoder_ = BuiltInDecoder(from);
  }
  // The built-in decoders write whole units of the intermediate, which is the target here.
  if (!decodesThroughLibrary_ && !encodesThroughLibrary_ && to == ciUCS2 && !IsMapActive(map)) {
    mode_ = TMode::decodeOnly;
    return;
  }
  if (!encodesThroughLibrary_) {
    encoder_ = std::make_unique<TBuiltInEncoder>(to, words, transliterate);
  } else if (IsMapActive(map)) {
    encoder_ = std::make_unique<TLibraryUnitEncoder>(encoding, to, words);
  } else {
    encoder_ = std::make_unique<TLibraryEncoder>(encoding, to);
  }
}

TStreamConverter::~TStreamConverter() = default;

void TStreamConverter::Convert(std::string_view piece, std::string& out) {
  switch (mode_) {
    case TMode::passThrough:
      out += piece;
      return;
    case TMode::byteTable: {
      const std::size_t start = out.size();
      out.resize(start + piece.size());
      char* target = out.data() + start;
      for (const char byte : piece) *target++ = byteTable_[static_cast<unsigned char>(byte)];
      return;
    }
    case TMode::decodeOnly:
      decoder_->Decode(piece, out);
      return;
    case TMode::direct:
      encoder_->Encode(piece, out);
      return;
    case TMode::intermediate:
      ucs2_ = oddByte_;
      decoder_->Decode(piece, ucs2_);
      EncodeIntermediate(out);
      return;
  }
}

void TStreamConverter::Finish(std::string& out) {
  if (mode_ == TMode::decodeOnly) decoder_->Finish(out);
  if (mode_ == TMode::direct) encoder_->Finish(out);
  if (mode_ != TMode::intermediate) return;
  ucs2_ = oddByte_;
  decoder_->Finish(ucs2_);
  EncodeIntermediate(out);
  encoder_->Finish(out);
}

// Whole units go on; a last odd byte waits for the next piece, and at the end is ignored.
void TStreamConverter::EncodeIntermediate(std::string& out) {
  const std::size_t whole = ucs2_.size() & ~std::size_t{1};
  encoder_->Encode(std::string_view(ucs2_).substr(0, whole), out);
  oddByte_ = ucs2_.substr(whole);
}

}  // namespace sanivo
