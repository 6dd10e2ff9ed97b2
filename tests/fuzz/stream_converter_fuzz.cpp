// The conversion in pieces against the conversion of the whole text: for any ids, map,
// strictness and cuts, the pieces' output put together is ConvertCharsetEx's, byte for byte.
// Byte 0 and 1 are the ids; byte 2 holds the strictness (bit 7), whether the simulated machine's
// iconv library is there (bit 6), whether the pieces keep off the processor's vector
// instructions, as on one without them (bit 3), and the map's length in words (bits 0-2); byte 3
// seeds the cuts; the map's words follow, then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "charset/stream_converter.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  if (size < 4) return 0;
  const auto from = static_cast<TCharsetId>(data[0] % kCharsetIdCount);
  const auto to = static_cast<TCharsetId>(data[1] % kCharsetIdCount);
  const bool transliterate = (data[2] & 0x80) == 0;
  const bool withLibrary = (data[2] & 0x40) != 0;
  const bool vectorInstructions = (data[2] & 0x08) == 0;
  const std::size_t words = data[2] & 0x07;
  std::uint32_t cuts = data[3];
  if (size < 4 + 2 * words) return 0;
  std::vector<std::uint16_t> map;
  for (std::size_t i = 0; i < words; ++i) {
    map.push_back(static_cast<std::uint16_t>(data[4 + 2 * i] << 8 | data[5 + 2 * i]));
  }
  if (map.empty()) map.push_back(0);
  const std::size_t textStart = 4 + 2 * words;
  const std::string text(reinterpret_cast<const char*>(data) + textStart, size - textStart);

  // The library stays on the machine; without the module start-up nothing loads it.
  static sim::Machine machine;
  static bool libraryAdded = false;
  if (!libraryAdded) machine.AddIconvLibrary("C:\\Program Files\\Morek\\iconv.dll");
  libraryAdded = true;
  // glibc's ISO-2022-KR encoder writes its header again on a call after one that stopped, so the
  // number of calls shows in its output; the stream makes other calls than the whole text.
  if (withLibrary && to == ciISO2022KR) return 0;
  if (withLibrary) InitializeCharsetModules();

  const std::string whole = ConvertCharsetEx(text, from, to, map, transliterate);
  std::string pieces;
  AllowVectorInstructions(vectorInstructions);
  {
    TStreamConverter converter(from, to, map, transliterate);
    for (std::size_t start = 0; start < text.size();) {
      cuts = cuts * 1103515245u + 12345u;
      const std::size_t length = std::min<std::size_t>(cuts >> 16 & 0x1F, text.size() - start);
      converter.Convert(std::string_view(text).substr(start, length), pieces);
      start += length;
    }
    converter.Finish(pieces);
  }
  if (withLibrary) FinalizeCharsetModules();
  FUZZ_CHECK(pieces == whole);
  return 0;
}
