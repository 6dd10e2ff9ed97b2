#include "charset/code_pages.h"

#include <algorithm>

#include "charset/code_page_tables.h"

namespace sanivo {

namespace {

// Per code page, (value << 8 | byte) for every byte from 0x80 up, sorted: the first entry of a
// value holds the lowest byte that stands for it. Built at compile time, so encoding is a binary
// search rather than a scan of the table.
using TReverseIndex = std::array<std::uint32_t, std::tuple_size_v<TCharsetTable>>;

constexpr std::uint32_t ReverseKey(std::uint16_t value, unsigned byte) {
  return std::uint32_t{value} << 8 | byte;
}

constexpr std::array<TReverseIndex, kCodePageCount> BuildReverseIndexes() {
  std::array<TReverseIndex, kCodePageCount> indexes{};
  for (std::size_t page = 0; page < indexes.size(); ++page) {
    for (std::size_t i = 0; i < TReverseIndex{}.size(); ++i) {
      indexes[page][i] = ReverseKey(kCodePageTables[page][i], kFirstTableByte + i);
    }
    std::ranges::sort(indexes[page]);
  }
  return indexes;
}

constexpr std::array<TReverseIndex, kCodePageCount> kReverseIndexes = BuildReverseIndexes();

constexpr std::size_t CodePageOf(TCharsetId id) { return id < kCodePageCount ? id : ciISO8859_1; }

}  // namespace

const TCharsetTable& GetCharsetTable(TCharsetId id) { return kCodePageTables[CodePageOf(id)]; }

std::uint16_t DecodeCodePageByte(TCharsetId id, unsigned char byte) {
  return byte < kFirstTableByte ? byte : GetCharsetTable(id)[byte - kFirstTableByte];
}

std::optional<unsigned char> EncodeCodePageChar(TCharsetId id, std::uint16_t value) {
  if (value < kFirstTableByte) return static_cast<unsigned char>(value);
  const TReverseIndex& index = kReverseIndexes[CodePageOf(id)];
  const auto found = std::ranges::lower_bound(index, ReverseKey(value, 0));
  if (found == index.end() || *found >> 8 != value) return std::nullopt;
  return static_cast<unsigned char>(*found & 0xFF);
}

}  // namespace sanivo
