#include "charset/library_sides.h"

namespace sanivo {

namespace {

// UTF-16BE carries every character; UCS-2BE, which older libraries know instead, those up to
// U+FFFF.
constexpr const char* kIntermediateNames[] = {"UTF-16BE", "UCS-2BE"};

// The longest input the library may leave unconverted at the end of a piece because it is a
// sequence cut short (an escape, a multi-byte character, "\uD800\uDC00" in JAVA). Anything
// longer left over means the library stopped for good, and the rest of the text is lost, as it
// is when the whole text goes through one call.
constexpr std::size_t kLongestUnfinishedSequence = 64;

// The second name is tried only when the library is there and refused the first: without the
// library each side asks for it once.
template <typename TOpen>
TIconvDescriptor OpenWithIntermediate(TOpen open) {
  TIconvDescriptor descriptor = open(kIntermediateNames[0]);
  if (descriptor == kNoIconv && IconvIsLoaded()) descriptor = open(kIntermediateNames[1]);
  return descriptor;
}

}  // namespace

TIconvDescriptor OpenLibraryDecoding(const std::string& fromName) {
  return OpenWithIntermediate(
      [&](const char* intermediate) { return IconvOpenIgnore(intermediate, fromName); });
}

TIconvDescriptor OpenLibraryEncoding(const std::string& toName, bool transliterate) {
  return OpenWithIntermediate([&](const char* intermediate) {
    return transliterate ? IconvOpenTranslit(toName, intermediate)
                         : IconvOpenIgnore(toName, intermediate);
  });
}

std::string LibraryEncode(TIconvDescriptor descriptor, std::string ucs2, TCharsetId to) {
  if (to == ciUTF7) ucs2 += kUtf7RunCloser;
  std::string out = IconvConvert(descriptor, ucs2).output;
  if (to == ciUTF7 && !out.empty()) out.pop_back();
  return out;
}

void TLibraryPass::Convert(std::string_view piece, std::string& out) {
  if (stopped_) return;
  std::string_view input = piece;
  if (!unfinished_.empty()) {
    unfinished_.append(piece);
    input = unfinished_;
  }
  std::size_t produced = 0;
  const std::size_t consumed = IconvConvertInto(descriptor_, input, buffer_, produced);
  out.append(buffer_, 0, produced);
  const std::size_t left = input.size() - consumed;
  if (left > kLongestUnfinishedSequence) {
    stopped_ = true;
    unfinished_.clear();
    return;
  }
  unfinished_ = std::string(input.substr(consumed));
}

}  // namespace sanivo
