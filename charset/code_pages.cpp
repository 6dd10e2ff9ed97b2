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

// A linear search from byte 0x80 up finds the lowest byte. Long texts between two one-byte
// charsets go through a table per pair built from this (charset.cpp), so the search stays cheap.
std::optional<unsigned char> EncodeCodePageChar(TCharsetId id, std::uint16_t value) {
  if (value < kFirstTableByte) return static_cast<unsigned char>(value);
  const TCharsetTable& table = GetCharsetTable(id);
  const auto found = std::ranges::find(table, value);
  if (found == table.end()) return std::nullopt;
  return static_cast<unsigned char>(kFirstTableByte + (found - table.begin()));
}

}  // namespace sanivo
