// The conversion of a text that arrives in pieces: what a piece ends in the middle of (a UTF-8,
// UTF-7 or multi-byte sequence, a code unit, a surrogate pair) is held until the next piece,
// and the byte order that a swapped mark turned stays turned. All pieces put together give
// exactly what ConvertCharsetEx gives for the whole text, in memory bounded by the piece size.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "charset/decoders.h"
#include "charset/encoders.h"

namespace sanivo {

class TStreamConverter {
 public:
  // Opens the library's descriptors for the whole stream, as ConvertCharsetEx would for one
  // text: a side whose name the library refuses, or every side without it, is built in.
  TStreamConverter(TCharsetId from, TCharsetId to, TReplacementMap map, bool transliterate);
  // The same with the names the library is asked for; a side whose name is not the id's own
  // is one that only the library converts.
  TStreamConverter(TCharsetId from, const std::string& fromName, TCharsetId to,
                   const std::string& toName, TReplacementMap map, bool transliterate);
  ~TStreamConverter();
  TStreamConverter(const TStreamConverter&) = delete;
  TStreamConverter& operator=(const TStreamConverter&) = delete;

  // Converts the next piece; its output is appended to out.
  void Convert(std::string_view piece, std::string& out);
  // The end of the text: what was held back waiting for more. Call once, after the last piece.
  void Finish(std::string& out);

  // Whether the library takes that side (false for a pass-through, which has no sides).
  bool DecodesThroughLibrary() const { return decodesThroughLibrary_; }
  bool EncodesThroughLibrary() const { return encodesThroughLibrary_; }
  // What the built-in decoding replaced so far; nothing when the library decodes.
  TReplacements Replacements() const;

 private:
  void EncodeIntermediate(std::string& out);
  void ConvertByTable(std::string_view piece, std::string& out);

  enum class TMode {
    passThrough,
    byteTable,
    decodeOnly,
    direct,
    intermediate
  } mode_ = TMode::intermediate;
  bool decodesThroughLibrary_ = false;
  bool encodesThroughLibrary_ = false;
  // A source byte's target byte, marked with kUndefinedSource where the source's code page
  // leaves the byte undefined; what the marks counted, and the bytes read so far.
  static constexpr std::uint16_t kUndefinedSource = 0x100;
  std::array<std::uint16_t, 256> byteTable_{};
  TReplacements byteTableReplacements_;
  std::uint64_t consumed_ = 0;
  std::unique_ptr<TDecoder> decoder_;
  std::unique_ptr<TEncoder> encoder_;
  std::string ucs2_;     // the current piece in the intermediate form
  std::string oddByte_;  // the first half of a unit that the next piece completes
};

}  // namespace sanivo
