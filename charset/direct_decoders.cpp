// The decoders straight into a target, for cpconv's long texts in the directions people use
// most. Apart from the other decoders so that the program that converts only between code pages
// does not carry them, and so that the Windows build, which is optimised for size, can optimise
// these for speed.
#include "charset/charset.h"
#include "charset/decoders.h"
#include "charset/decoding_units.h"

namespace sanivo {

using namespace decoding;

std::unique_ptr<TDecoder> MakeDirectDecoder(TCharsetId from, TCharsetId to, bool transliterate) {
  if (CodeUnitSize(from) == 1 && to == ciUTF8) {
    return std::make_unique<TSingleByteDecoder<true>>(from);
  }
  if (from == ciUTF8 && CodeUnitSize(to) == 1) {
    return std::make_unique<TUtf8Decoder<TCodePageSink>>(to, transliterate);
  }
  return nullptr;
}

}  // namespace sanivo
