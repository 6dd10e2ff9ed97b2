// ConvertCharset between any two charset ids, checked byte by byte against the tables with the
// plain search of the single-byte conversion: each byte keeps its character, written as the
// lowest byte of the target that has it, or "_" when none has (an undefined byte stands for no
// character, and none is ever written); and it comes back from there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "charset/charset.h"
#include "charset/code_pages.h"
#include "tests/fuzz/fuzz_check.h"

namespace sanivo {
namespace {

bool IsUnicodeForm(TCharsetId id) { return id >= ciUCS2 && id <= ciUCS4LE; }

std::uint16_t CharacterOf(TCharsetId id, unsigned char byte) {
  return byte < kFirstTableByte ? byte : GetCharsetTable(id)[byte - kFirstTableByte];
}

// The lowest byte of the code page that stands for `character`; -1 when none does.
int LowestByteOf(TCharsetId id, std::uint16_t character) {
  if (character < kFirstTableByte) return character;
  if (character == kUndefinedByte) return -1;
  const TCharsetTable& table = GetCharsetTable(id);
  const auto found = std::ranges::find(table, character);
  return found == table.end() ? -1 : static_cast<int>(kFirstTableByte + (found - table.begin()));
}

}  // namespace
}  // namespace sanivo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  if (size < 2) return 0;
  const auto from = static_cast<TCharsetId>(data[0] % kCharsetIdCount);
  const auto to = static_cast<TCharsetId>(data[1] % kCharsetIdCount);
  // Single-byte charsets only: the code pages and the ids read as ISO-8859-1, not the Unicode
  // forms, whose code units are wider than a byte.
  if (IsUnicodeForm(from) || IsUnicodeForm(to)) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

  const std::string converted = ConvertCharset(text, from, to);
  if (from == to) {
    FUZZ_CHECK(converted == text);
    return 0;
  }
  const std::string back = ConvertCharset(converted, to, from);
  FUZZ_CHECK(converted.size() == text.size() && back.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::uint16_t character = CharacterOf(from, byte);
    const int expected = LowestByteOf(to, character);
    FUZZ_CHECK(static_cast<unsigned char>(converted[i]) == (expected < 0 ? '_' : expected));
    // A character both code pages hold comes back as the lowest byte that has it.
    if (expected >= 0) {
      FUZZ_CHECK(static_cast<unsigned char>(back[i]) == LowestByteOf(from, character));
    }
  }
  return 0;
}
