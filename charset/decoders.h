// Text in a source charset to the intermediate: big-endian 16-bit units, a character above
// U+FFFF as its surrogate pair. One decoder reads one text, in pieces or whole: what a piece
// ends in the middle of (a UTF-8 sequence, a code unit, a UTF-7 run, the first half of a pair)
// waits for the next piece, and only the end of the text decides about it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "charset/charset_id.h"
#include "charset/iconv_binding.h"

namespace sanivo {

// The places where the built-in decoding replaced input that was not well-formed text of its
// charset with U+FFFD.
struct TReplacements {
  std::uint64_t count = 0;
  std::uint64_t firstOffset = 0;  // in bytes from the start of the text, when count > 0

  void Add(std::uint64_t offset) {
    if (count++ == 0) firstOffset = offset;
  }
};

class TDecoder {
 public:
  virtual ~TDecoder() = default;
  // Appends the piece's units to ucs2.
  virtual void Decode(std::string_view piece, std::string& ucs2) = 0;
  // The end of the text: what was held back waiting for more. Call once, after the last piece.
  virtual void Finish(std::string& ucs2) = 0;
  // None when the library decodes: it decides what to do with ill-formed input.
  const TReplacements& Replacements() const { return replacements_; }

 protected:
  TReplacements replacements_;
};

// The built-in decoding of id (ids without a table of their own read as ISO-8859-1).
std::unique_ptr<TDecoder> MakeBuiltInDecoder(TCharsetId from);
// For the directions people use most, a decoder that writes the target straight away, the same
// text that the built-in decoder and encoder give (a code page to UTF-8, UTF-8 to a code page,
// without a map); none for other pairs.
std::unique_ptr<TDecoder> MakeDirectDecoder(TCharsetId from, TCharsetId to, bool transliterate);
// Whether the decoders made from now on may use the vector instructions of a processor that has
// them (the default); without, they take the path of older processors, which gives the same.
void AllowVectorInstructions(bool allowed);
// The library's decoding through its descriptor, which the decoder closes.
std::unique_ptr<TDecoder> MakeLibraryDecoder(TIconvDescriptor descriptor);

}  // namespace sanivo
