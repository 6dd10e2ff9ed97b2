// The parts of the built-in decoders that the decoders of the intermediate and the decoders
// straight into a target share: what every decoder counts, and the decoders of code pages
// and of UTF-8. Only the decoders' own sources include this.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "charset/code_pages.h"
#include "charset/decoders.h"
#include "charset/text_buffer.h"
#include "charset/unicode_codecs.h"

namespace sanivo::decoding {

// Eight bytes at once, none of them with the high bit set.
inline bool IsAsciiWord(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080u) == 0;
}

inline char* PutUnit(std::uint32_t unit, char* out) {
  *out++ = static_cast<char>(unit >> 8 & 0xFF);
  *out++ = static_cast<char>(unit & 0xFF);
  return out;
}

// A scalar value as one unit, or above U+FFFF as its surrogate pair.
inline char* PutScalar(std::uint32_t value, char* out) {
  if (value < 0x10000) return PutUnit(value, out);
  value -= 0x10000;
  out = PutUnit(0xD800 | value >> 10, out);
  return PutUnit(0xDC00 | (value & 0x3FF), out);
}

// Where a decoder writes what it read: the intermediate, or for the directions people use most
// the target code page straight away, as the encoder would write it.
// Each has Put for any character, PutBelow800 for one below U+0800 (one or two bytes of UTF-8),
// and PutStartingAt16 for the decoder's loop over ASCII and two-byte sequences: for each of
// sixteen bytes the character that begins there, nothing for a continuation byte, without a
// branch between them.
class TIntermediateSink {
 public:
  static constexpr std::size_t kMostBytesPerByte = 2;
  char* Put(std::uint32_t character, char* out) const { return PutScalar(character, out); }
  char* PutBelow800(std::uint32_t character, char* out) const { return PutUnit(character, out); }
  char* PutStartingAt16(const unsigned char* bytes, char* out) const {
    for (unsigned k = 0; k < 16; ++k) {
      // Arithmetic rather than conditions, which the compiler would turn into branches.
      const unsigned byte = bytes[k], next = bytes[k + 1];
      const unsigned leadMask = 0u - (byte >> 7 & byte >> 6 & 1);
      const unsigned continuation = byte >> 7 & ~(byte >> 6) & 1;
      PutUnit((((byte & 0x1Fu) << 6 | (next & 0x3Fu)) & leadMask) | (byte & ~leadMask), out);
      out += 2 * (continuation ^ 1);
    }
    return out;
  }
  char* PutAscii8(const unsigned char* bytes, char* out) const {
    for (int k = 0; k < 8; ++k) out = PutUnit(bytes[k], out);
    return out;
  }
};

// The byte of a character in a code page; "_" when the charset lacks it, or with the strict
// conversion nothing. As a 16-bit word: the byte low, the count high.
struct TCodePageByte {
  char value;
  unsigned char count;  // 1, or 0 when nothing is written
};

// A round of TUtf8Decoder::PutShortSequences with SSSE3, for the processors that have it:
// sixteen bytes classified and compacted in vector registers, only the table read byte by byte.
using TCodePageVectorRound = unsigned (*)(const unsigned char* bytes,
                                          const TCodePageByte* startingAt, char*& out);

class TCodePageSink {
 public:
  static constexpr std::size_t kMostBytesPerByte = 1;
  // vectorRound: none on a processor without the instructions it needs.
  TCodePageSink(TCharsetId to, bool transliterate, TCodePageVectorRound vectorRound)
      : reverse_(to),
        startingAt_(256 * 64),
        transliterate_(transliterate),
        vectorRound_(vectorRound) {
    for (std::uint32_t character = 0; character < below800_.size(); ++character) {
      char byte = 0;
      const bool written = reverse_.Put(character, &byte, transliterate) != &byte;
      below800_[character] = {byte, written};
    }
    // Indexed by a byte and the low six bits of the next one: what begins at the byte. Small, so
    // that the part Czech text touches stays in the processor's nearest cache.
    for (std::uint32_t index = 0; index < startingAt_.size(); ++index) {
      const unsigned byte = index >> 6, nextBits = index & 0x3F;
      if (byte < 0x80) startingAt_[index] = below800_[byte];
      if (byte >= 0xC0) startingAt_[index] = below800_[(byte & 0x1Fu) << 6 | nextBits];
    }
  }
  char* Put(std::uint32_t character, char* out) const {
    return reverse_.Put(character, out, transliterate_);
  }
  char* PutBelow800(std::uint32_t character, char* out) const {
    const TCodePageByte byte = below800_[character];
    *out = byte.value;
    return out + byte.count;
  }
  char* PutStartingAt16(const unsigned char* bytes, char* out) const {
    // In a local: the bytes written could otherwise be where the table's address is.
    const TCodePageByte* const startingAt = startingAt_.data();
    for (unsigned k = 0; k < 16; ++k) {
      const TCodePageByte byte = startingAt[bytes[k] << 6 | (bytes[k + 1] & 0x3Fu)];
      *out = byte.value;
      out += byte.count;
    }
    return out;
  }
  char* PutAscii8(const unsigned char* bytes, char* out) const {
    std::memcpy(out, bytes, 8);
    return out + 8;
  }
  bool HasVectorRound() const { return vectorRound_ != nullptr; }
  unsigned PutVectorRound(const unsigned char* bytes, char*& out) const {
    return vectorRound_(bytes, startingAt_.data(), out);
  }

 private:
  TReverseCodePage reverse_;
  std::array<TCodePageByte, 0x800> below800_;  // each character below U+0800
  std::vector<TCodePageByte> startingAt_;      // a continuation byte: nothing
  bool transliterate_;
  TCodePageVectorRound vectorRound_;
};

// What every built-in decoder shares: the count of replacements and the pairing of the 16-bit
// units of a source whose surrogates come one by one.
class TBuiltInDecoder : public TDecoder {
 protected:
  char* PutReplacement(std::uint64_t offset, char* out) {
    Count(offset);
    return PutUnit(kReplacementCharacter, out);
  }
  void Count(std::uint64_t offset) { replacements_.Add(offset); }

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

// One byte, one character, through the code page's table: each byte's output is made once,
// as a unit of the intermediate or, straight away, as UTF-8 (two types, each compiled where it
// is made). A byte the code page leaves undefined is no text of it: U+FFFD, counted.
template <bool kToUtf8>
class TSingleByteDecoder : public TBuiltInDecoder {
 public:
  explicit TSingleByteDecoder(TCharsetId from) {
    for (unsigned byte = 0; byte < outputs_.size(); ++byte) {
      const std::uint16_t character = DecodeCodePageByte(from, static_cast<unsigned char>(byte));
      char* bytes = outputs_[byte].bytes;
      outputs_[byte].length = static_cast<std::uint16_t>(
          (kToUtf8 ? PutUtf8(character, bytes) : PutUnit(character, bytes)) - bytes);
      outputs_[byte].undefined = character == kUndefinedByte;
    }
  }

  void Decode(std::string_view piece, std::string& out) override {
    // A chunk at a time: the room made for the most that a chunk can give is cut back to what it
    // gave before the next one.
    constexpr std::size_t kChunk = 4096;
    for (std::size_t start = 0; start < piece.size(); start += kChunk) {
      const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data()) + start;
      const std::size_t size = std::min(kChunk, piece.size() - start);
      // Three bytes at most for each, and room to write four.
      char* target = Extend(out, 3 * size + 1);
      std::size_t i = 0;
      // Whether an undefined byte came: only a chunk that had one is read again to count them.
      unsigned undefined = 0;
      // Eight bytes a round without a branch between them, ASCII at once where it is as it is.
      for (; size - i >= 8; i += 8) {
        if (kToUtf8 && IsAsciiWord(bytes + i)) {
          std::memcpy(target, bytes + i, 8);
          target += 8;
          continue;
        }
        for (std::size_t k = 0; k < 8; ++k) target = Put(bytes[i + k], target, undefined);
      }
      for (; i < size; ++i) target = Put(bytes[i], target, undefined);
      Trim(out, target);
      if (undefined != 0) CountUndefined(bytes, size, consumed_ + start);
    }
    consumed_ += piece.size();
  }
  void Finish(std::string&) override {}

 private:
  char* Put(unsigned char byte, char* target, unsigned& undefined) const {
    const TOutput& output = outputs_[byte];
    std::memcpy(target, output.bytes, sizeof output.bytes);
    undefined |= output.undefined;
    return target + output.length;
  }

  void CountUndefined(const unsigned char* bytes, std::size_t size, std::uint64_t offset) {
    for (std::size_t i = 0; i < size; ++i) {
      if (outputs_[bytes[i]].undefined) Count(offset + i);
    }
  }

  struct alignas(8) TOutput {
    char bytes[4];
    std::uint16_t length;
    std::uint16_t undefined;
  };
  std::array<TOutput, 256> outputs_{};
};

// UTF-8, well-formed sequences only; a byte-order mark is dropped (UTF-8 has no byte order).
template <typename TSink>
class TUtf8Decoder : public TBuiltInDecoder {
 public:
  template <typename... TSinkArguments>
  explicit TUtf8Decoder(TSinkArguments&&... arguments)
      : sink_(std::forward<TSinkArguments>(arguments)...) {}

  void Decode(std::string_view piece, std::string& out) override {
    const auto* bytes = reinterpret_cast<const unsigned char*>(piece.data());
    const std::size_t size = piece.size();
    // A byte gives at most one unit (a four-byte sequence two), or one byte of a code page; one
    // begun in the last piece gives up to two units for its last byte.
    char* target = Extend(out, TSink::kMostBytesPerByte * size + 8);
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
      target = Put(step.value, heldOffset_, target);
    }
    while (i < size) {
      if (size - i >= 8 && IsAsciiWord(bytes + i)) {
        target = sink_.PutAscii8(bytes + i, target);
        i += 8;
        continue;
      }
      if (size - i >= 17) {
        if (const unsigned taken = PutShortSequences(bytes + i, target)) {
          i += taken;
          continue;
        }
      }
      // ASCII and two-byte sequences, all of Czech text, without a branch that depends on
      // which of the two comes: the next byte is read either way.
      if (size - i >= 2) {
        const unsigned lead = bytes[i], next = bytes[i + 1];
        const bool twoBytes = lead - 0xC2u < 0x1Eu && (next & 0xC0u) == 0x80u;
        if (lead < 0x80 || twoBytes) {
          const unsigned character = twoBytes ? (lead & 0x1Fu) << 6 | (next & 0x3Fu) : lead;
          target = sink_.PutBelow800(character, target);
          i += 1 + static_cast<unsigned>(twoBytes);
          continue;
        }
      } else if (bytes[i] < 0x80) {
        target = sink_.PutBelow800(bytes[i++], target);
        continue;
      }
      const TUtf8Step step = ReadUtf8Step(bytes + i, size - i, false);
      if (step.length == 0) {
        heldOffset_ = consumed_ + i;
        while (i < size) heldBytes_[held_++] = bytes[i++];
        break;
      }
      target = Put(step.value, consumed_ + i, target);
      i += step.length;
    }
    consumed_ += size;
    Trim(out, target);
  }

  // A sequence that the end cuts short is one ill-formed subpart.
  void Finish(std::string& out) override {
    if (held_ == 0) return;
    held_ = 0;
    char* target = Extend(out, 4);
    Trim(out, Put(kIllFormed, heldOffset_, target));
  }

 private:
  // Sixteen bytes (reading a seventeenth) that are ASCII and well-formed two-byte sequences only,
  // whose last sequence may end in the seventeenth byte: written without a branch between them,
  // sixteen or seventeen taken. 0 when the sixteen bytes are anything else, for the general step.
  unsigned PutShortSequences(const unsigned char* bytes, char*& target) const {
    if constexpr (requires { sink_.PutVectorRound(bytes, target); }) {
      if (sink_.HasVectorRound()) return sink_.PutVectorRound(bytes, target);
    }
    if constexpr (std::endian::native != std::endian::little) return 0;
    // Words of the machine's width: a 32-bit program checks four bytes at a time.
    using TWord = std::size_t;
    constexpr TWord kOnes = ~TWord{0} / 0xFF, kHigh = kOnes * 0x80;
    constexpr unsigned kLastByteShift = 8 * (sizeof(TWord) - 1);
    TWord leadsBefore = 0;  // a lead byte at the end of the word before
    for (unsigned at = 0; at < 16; at += sizeof(TWord)) {
      TWord word;
      std::memcpy(&word, bytes + at, sizeof word);
      const TWord high = word & kHigh, bit6 = word << 1 & kHigh, bit5 = word << 2 & kHigh;
      const TWord leads = high & bit6, continuations = high & ~bit6;
      // Leads of three bytes and more, and the overlong C0 and C1.
      const TWord c0OrC1 = (word & ~kOnes) ^ (kOnes * 0xC0);
      const bool overlong = ((c0OrC1 - kOnes) & ~c0OrC1 & kHigh) != 0;
      if ((leads & bit5) != 0 || overlong || continuations != (leads << 8 | leadsBefore)) return 0;
      leadsBefore = leads >> kLastByteShift;
    }
    const bool lastLeads = leadsBefore != 0;
    if (lastLeads != ((bytes[16] & 0xC0) == 0x80)) return 0;
    target = sink_.PutStartingAt16(bytes, target);
    return 16 + static_cast<unsigned>(lastLeads);
  }

  char* Put(std::uint32_t value, std::uint64_t offset, char* out) {
    if (value == kIllFormed) {
      Count(offset);
      return sink_.Put(kReplacementCharacter, out);
    }
    if (value == kByteOrderMark) return out;
    return sink_.Put(value, out);
  }

  TSink sink_;
  unsigned char heldBytes_[4] = {};
  unsigned held_ = 0;
  std::uint64_t heldOffset_ = 0;
};

}  // namespace sanivo::decoding
