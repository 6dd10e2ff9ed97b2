#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "charset/charset_id.h"

namespace sanivo {

// Unicode values of bytes 0x80 to 0xFF of a single-byte code page; bytes below 0x80 are ASCII in
// every one of them. U+FFFD marks a byte that the code page leaves undefined.
using TCharsetTable = std::array<std::uint16_t, 128>;

inline constexpr unsigned kFirstTableByte = 0x80;
// The table entry of a byte that the code page leaves undefined.
inline constexpr std::uint16_t kUndefinedByte = 0xFFFD;

// Ids 0 to 24 have a table of their own; the built-in engine reads every other id as ISO-8859-1.
inline constexpr int kCodePageCount = 25;

const TCharsetTable& GetCharsetTable(TCharsetId id);

std::uint16_t DecodeCodePageByte(TCharsetId id, unsigned char byte);

// The byte that stands for value in the code page of id; the lowest one when several do, none
// when the code page lacks the character (U+FFFD included: it only marks undefined bytes).
std::optional<unsigned char> EncodeCodePageChar(TCharsetId id, std::uint16_t value);

// The bytes of a one-byte charset by character, for writing long texts: the lowest byte for each
// character the charset has (U+FFFD excluded), by the character's high byte's page.
class TReverseCodePage {
 public:
  explicit TReverseCodePage(TCharsetId id);
  // 0 when the charset lacks the character (no character but U+0000 is written as byte 0).
  unsigned char ByteOf(std::uint32_t character) const {
    if (character < kFirstTableByte) return static_cast<unsigned char>(character);
    if (character > 0xFFFF) return 0;
    const std::uint8_t page = pageOf_[character >> 8];
    return page == 0 ? 0 : pages_[page - 1][character & 0xFF];
  }
  // Writes the character's byte at out; one the charset lacks becomes "_" when transliterating,
  // or nothing. Gives the end.
  char* Put(std::uint32_t character, char* out, bool transliterate) const {
    if (const unsigned char byte = ByteOf(character); byte != 0 || character == 0) {
      *out++ = static_cast<char>(byte);
    } else if (transliterate) {
      *out++ = '_';
    }
    return out;
  }

 private:
  std::array<std::uint8_t, 256> pageOf_{};  // 0: no byte on that page
  std::vector<std::array<unsigned char, 256>> pages_;
};

// What each byte of a one-byte charset becomes in another: the target's lowest byte for the same
// character, or "_".
std::array<char, 256> SingleBytePairTable(TCharsetId from, TCharsetId to);

}  // namespace sanivo
