// The intermediate (big-endian 16-bit units, a character above U+FFFF as its surrogate pair) to
// text in a target charset. One encoder writes one text, in pieces or whole: each piece holds
// whole units, and a pair that two pieces share waits for its second half.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "charset/iconv_binding.h"

namespace sanivo {

class TEncoder {
 public:
  virtual ~TEncoder() = default;
  // Appends the piece's text to out.
  virtual void Encode(std::string_view ucs2, std::string& out) = 0;
  // The end of the text (a UTF-7 run closed, a stateful charset back in its initial state).
  virtual void Finish(std::string& out) = 0;
};

// The built-in encoding: each unit through the map, then one-byte charsets through a reverse
// table ("_" for what the charset lacks when transliterating, nothing when not), UTF-8 and the
// four-byte forms a character per pair, the two-byte forms and UTF-7 unit by unit.
std::unique_ptr<TEncoder> MakeBuiltInEncoder(TCharsetId to, TReplacementMap map,
                                             bool transliterate);
// Through the library's descriptor, which the encoder closes: the whole intermediate, or with an
// active map a character at a time, each in a call of its own.
std::unique_ptr<TEncoder> MakeLibraryEncoder(TIconvDescriptor descriptor, TCharsetId to,
                                             TReplacementMap map);

}  // namespace sanivo
