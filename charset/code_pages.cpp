#include "charset/code_pages.h"

#include <algorithm>

#include "charset/code_page_tables.h"

namespace sanivo {

namespace {

constexpr std::size_t CodePageOf(TCharsetId id) { return id < kCodePageCount ? id : ciISO8859_1; }

}  // namespace

const TCharsetTable& GetCharsetTable(TCharsetId id) { return kCodePageTables[CodePageOf(id)]; }

std::uint16_t DecodeCodePageByte(TCharsetId id, unsigned char byte) {
  return byte < kFirstTableByte ? byte : GetCharsetTable(id)[byte - kFirstTableByte];
}

// A linear search from byte 0x80 up finds the lowest byte. Long texts go through tables built
// from this (a table per pair of one-byte charsets, a reverse table per target), so the search
// stays cheap. U+FFFD marks the bytes a code page leaves undefined: no character is written as
// one of those.
std::optional<unsigned char> EncodeCodePageChar(TCharsetId id, std::uint16_t value) {
  if (value < kFirstTableByte) return static_cast<unsigned char>(value);
  if (value == kUndefinedByte) return std::nullopt;
  const TCharsetTable& table = GetCharsetTable(id);
  const auto found = std::ranges::find(table, value);
  if (found == table.end()) return std::nullopt;
  return static_cast<unsigned char>(kFirstTableByte + (found - table.begin()));
}

TReverseCodePage::TReverseCodePage(TCharsetId id) {
  for (const std::uint16_t value : GetCharsetTable(id)) {
    if (const std::optional<unsigned char> byte = EncodeCodePageChar(id, value)) {
      std::uint8_t& page = pageOf_[value >> 8];
      if (page == 0) {
        pages_.emplace_back();
        page = static_cast<std::uint8_t>(pages_.size());
      }
      pages_[page - 1][value & 0xFF] = *byte;
    }
  }
}

std::array<char, 256> SingleBytePairTable(TCharsetId from, TCharsetId to) {
  std::array<char, 256> table{};
  for (unsigned byte = 0; byte < table.size(); ++byte) {
    const std::uint16_t unit = DecodeCodePageByte(from, static_cast<unsigned char>(byte));
    table[byte] = static_cast<char>(EncodeCodePageChar(to, unit).value_or('_'));
  }
  return table;
}

}  // namespace sanivo
