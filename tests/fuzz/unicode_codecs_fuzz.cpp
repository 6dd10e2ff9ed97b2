// The transfer codecs and the base64 decoders on any input: no crash, and the round trips that
// hold by their definition. The first byte picks the pass; the rest is its input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "charset/unicode_codecs.h"
#include "tests/fuzz/fuzz_check.h"

namespace sanivo {
namespace {

// The input read as big-endian 16-bit units, written as four-byte units (an odd last byte left
// out): values of the plane, which UTF-8 carries both ways; a surrogate is no character and
// comes back as U+FFFD.
std::string AsUcs4(const std::string& ucs2, bool surrogatesReplaced) {
  std::string ucs4;
  for (std::size_t i = 0; i + 1 < ucs2.size(); i += 2) {
    const bool surrogate = (static_cast<unsigned char>(ucs2[i]) & 0xF8) == 0xD8;
    ucs4 += std::string(2, '\0') +
            (surrogate && surrogatesReplaced ? std::string("\xFF\xFD") : ucs2.substr(i, 2));
  }
  return ucs4;
}

}  // namespace
}  // namespace sanivo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  if (size < 1) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string even = text.substr(0, text.size() & ~std::size_t{1});
  switch (data[0] % 5) {
    case 0: {  // UTF-8 from any bytes, and back for plane values
      const std::string ucs4 = Utf8ToUcs4(text);
      FUZZ_CHECK(ucs4.size() % 4 == 0 && ucs4.size() <= 4 * text.size());
      FUZZ_CHECK(Utf8ToUcs4(Ucs4ToUtf8(AsUcs4(text, false))) == AsUcs4(text, true));
      break;
    }
    case 1:  // UTF-7, both variants: any text decodes, and encoded units come back
    case 2: {
      const bool modified = data[0] % 5 == 2;
      FUZZ_CHECK(Utf7ToUcs2(text, modified).size() % 2 == 0);
      FUZZ_CHECK(Utf7ToUcs2(Ucs2ToUtf7(even, modified), modified) == even);
      break;
    }
    case 3: {  // the table decoder reads no more than three bytes per four characters
      const std::string decoded = DecodeBase64ByTable(text, kBase64StandardDecodingTable);
      FUZZ_CHECK(decoded.size() <= text.size() * 3 / 4);
      FUZZ_CHECK(DecodeBase64ByTable(EncodeBase64With(text, kBase64StandardAlphabet),
                                     kBase64StandardDecodingTable) == text);
      break;
    }
    default: {  // the alphabet decoder gives one to three bytes per group of four
      const std::string decoded = DecodeBase64ByAlphabet(text, kBase64ModifiedAlphabet);
      FUZZ_CHECK(decoded.size() <= 3 * ((text.size() + 3) / 4));
      FUZZ_CHECK(DecodeBase64ByAlphabet(EncodeBase64With(text, kBase64ModifiedAlphabet),
                                        kBase64ModifiedAlphabet) == text);
      break;
    }
  }
  return 0;
}
