#include "charset/code_pages.h"

#include <algorithm>
#include <utility>

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

constexpr TReverseIndex BuildReverseIndex(const TCharsetTable& table) {
  TReverseIndex index{};
  for (std::size_t i = 0; i < index.size(); ++i) {
    index[i] = ReverseKey(table[i], kFirstTableByte + i);
  }
  std::ranges::sort(index);
  return index;
}

// One constant per code page: a compiler bounds the work of each constant evaluation, and
// sorting all of them in one would exceed clang's bound.
template <std::size_t kPage>
constexpr TReverseIndex kReverseIndex = BuildReverseIndex(kCodePageTables[kPage]);

template <std::size_t... kPages>
constexpr std::array<const TReverseIndex*, kCodePageCount> ReverseIndexes(
    std::index_sequence<kPages...>) {
  return {&kReverseIndex<kPages>...};
}

constexpr std::array<const TReverseIndex*, kCodePageCount> kReverseIndexes =
    ReverseIndexes(std::make_index_sequence<kCodePageCount>());

constexpr std::size_t CodePageOf(TCharsetId id) { return id < kCodePageCount ? id : ciISO8859_1; }

}  // namespace

const TCharsetTable& GetCharsetTable(TCharsetId id) { return kCodePageTables[CodePageOf(id)]; }

std::uint16_t DecodeCodePageByte(TCharsetId id, unsigned char byte) {
  return byte < kFirstTableByte ? byte : GetCharsetTable(id)[byte - kFirstTableByte];
}

std::optional<unsigned char> EncodeCodePageChar(TCharsetId id, std::uint16_t value) {
  if (value < kFirstTableByte) return static_cast<unsigned char>(value);
  const TReverseIndex& index = *kReverseIndexes[CodePageOf(id)];
  const auto found = std::ranges::lower_bound(index, ReverseKey(value, 0));
  if (found == index.end() || *found >> 8 != value) return std::nullopt;
  return static_cast<unsigned char>(*found & 0xFF);
}

}  // namespace sanivo
