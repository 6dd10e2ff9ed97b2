// The library's part of a conversion: its descriptors to and from the intermediate, and one
// descriptor used over a whole stream. The intermediate is UTF-16BE; a library that does not
// know that name is asked for UCS-2BE, which holds the characters up to U+FFFF.
#pragma once

#include <string>
#include <string_view>

#include "charset/charset_id.h"
#include "charset/iconv_binding.h"

namespace sanivo {

// Appended before the library encodes UTF-7, so that it closes a trailing run; the "-" it then
// writes is cut off again.
inline constexpr std::string_view kUtf7RunCloser{"\x00\x2D", 2};

// From the charset the library knows as fromName to the intermediate, skipping what it cannot
// read; kNoIconv when it does not take the charset.
TIconvDescriptor OpenLibraryDecoding(const std::string& fromName);
// From the intermediate to toName, transliterating or not; kNoIconv when it does not take it.
TIconvDescriptor OpenLibraryEncoding(const std::string& toName, bool transliterate);

// Intermediate text through the library's encoding descriptor in one call; UTF-7 gets its last
// run closed.
std::string LibraryEncode(TIconvDescriptor descriptor, std::string ucs2, TCharsetId to);

// One descriptor of the library for a whole stream, closed with it; an unfinished sequence at
// the end of a piece waits for the next one.
class TLibraryPass {
 public:
  explicit TLibraryPass(TIconvDescriptor descriptor) : descriptor_(descriptor) {}
  ~TLibraryPass() { IconvClose(descriptor_); }
  TLibraryPass(const TLibraryPass&) = delete;
  TLibraryPass& operator=(const TLibraryPass&) = delete;

  TIconvDescriptor Descriptor() const { return descriptor_; }
  void Convert(std::string_view piece, std::string& out);
  // Whatever is unfinished at the end is lost, as at the end of one call over the whole text.
  void Finish() { unfinished_.clear(); }
  // An encoder's way back to its initial state, after the text.
  void Flush(std::string& out) { out += IconvFlush(descriptor_); }

 private:
  TIconvDescriptor descriptor_;
  std::string buffer_;  // the library's output, kept for the next piece
  std::string unfinished_;
  bool stopped_ = false;
};

}  // namespace sanivo
