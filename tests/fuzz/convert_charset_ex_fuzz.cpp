// ConvertCharsetEx with any ids, any replacement map and either strictness, on the built-in
// engine: no crash, and what holds for every input. Bytes 0 and 1 are the ids, byte 2 the
// strictness and the map's length in words, the map's words follow, then the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  if (size < 3) return 0;
  const auto from = static_cast<TCharsetId>(data[0] % kCharsetIdCount);
  const auto to = static_cast<TCharsetId>(data[1] % kCharsetIdCount);
  const bool transliterate = (data[2] & 0x80) == 0;
  const std::size_t words = data[2] & 0x07;
  if (size < 3 + 2 * words) return 0;
  std::vector<std::uint16_t> map;
  for (std::size_t i = 0; i < words; ++i) {
    map.push_back(static_cast<std::uint16_t>(data[3 + 2 * i] << 8 | data[4 + 2 * i]));
  }
  if (map.empty()) map.push_back(0);  // NoReplacement's shape, whatever the word
  const std::size_t textStart = 3 + 2 * words;
  const std::string text(reinterpret_cast<const char*>(data) + textStart, size - textStart);

  const std::string converted = ConvertCharsetEx(text, from, to, map, transliterate);
  const bool mapActive = map.size() != 1;
  if (from == to && !mapActive) FUZZ_CHECK(converted == text);
  const auto oneByte = [](TCharsetId id) { return id < ciUCS2 || id > ciUCS4LE; };
  if (oneByte(from) && oneByte(to)) {
    // Byte for byte: each byte gives one, or none when a strict conversion drops it.
    FUZZ_CHECK(transliterate ? converted.size() == text.size() : converted.size() <= text.size());
  }
  return 0;
}
