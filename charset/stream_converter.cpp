#include "charset/stream_converter.h"

#include "charset/library_sides.h"

namespace sanivo {

TStreamConverter::TStreamConverter(TCharsetId from, TCharsetId to, TReplacementMap map,
                                   bool transliterate)
    : TStreamConverter(from, CharsetName(from), to, CharsetName(to), map, transliterate) {}

TStreamConverter::TStreamConverter(TCharsetId from, const std::string& fromName, TCharsetId to,
                                   const std::string& toName, TReplacementMap map,
                                   bool transliterate) {
  if (from == to && fromName == toName && !IsMapActive(map)) {
    mode_ = TMode::passThrough;
    return;
  }
  TIconvDescriptor decoding = OpenLibraryDecoding(fromName);
  TIconvDescriptor encoding = OpenLibraryEncoding(toName, transliterate);
  decodesThroughLibrary_ = decoding != kNoIconv;
  encodesThroughLibrary_ = encoding != kNoIconv;
  if (!decodesThroughLibrary_ && !encodesThroughLibrary_ && !IsMapActive(map) && transliterate &&
      CodeUnitSize(from) == 1 && CodeUnitSize(to) == 1) {
    mode_ = TMode::byteTable;
    const std::array<char, 256> pairs = SingleBytePairTable(from, to);
    for (unsigned byte = 0; byte < byteTable_.size(); ++byte) {
      const bool undefined =
          DecodeCodePageByte(from, static_cast<unsigned char>(byte)) == kUndefinedByte;
      byteTable_[byte] = static_cast<std::uint16_t>(static_cast<unsigned char>(pairs[byte]) |
                                                    (undefined ? kUndefinedSource : 0));
    }
    return;
  }
  // From a code page of one byte per character, all of them in the intermediate, into another
  // such code page or UTF-8, the library gives the same text in one pass as in two: the same
  // characters, skipped or transliterated alike. Stateful targets are left out: with less room
  // per input byte the library runs out of it more often, and one asked again may announce its
  // escapes again (glibc's ISO-2022-CN-EXT does). So is Windows-1255 and -1258, whose decoders
  // hold a character back to combine it with the marks that follow: the end of two passes
  // flushes the encoder only, and loses it.
  const bool combinesMarks = from == ciWindows1255 || from == ciWindows1258;
  const bool oneCharacterAByte = from < kCodePageCount && !combinesMarks;
  if (decodesThroughLibrary_ && encodesThroughLibrary_ && !IsMapActive(map) && oneCharacterAByte &&
      (to < kCodePageCount || to == ciUTF8)) {
    const TIconvDescriptor direct =
        transliterate ? IconvOpenTranslit(toName, fromName) : IconvOpenIgnore(toName, fromName);
    if (direct != kNoIconv) {
      IconvClose(decoding);
      IconvClose(encoding);
      mode_ = TMode::direct;
      encoder_ = MakeLibraryEncoder(direct, to, map);
      return;
    }
  }
  if (!decodesThroughLibrary_ && !encodesThroughLibrary_ && !IsMapActive(map)) {
    decoder_ = MakeDirectDecoder(from, to, transliterate);
    if (decoder_) {
      mode_ = TMode::decodeOnly;
      return;
    }
  }
  decoder_ = decodesThroughLibrary_ ? MakeLibraryDecoder(decoding) : MakeBuiltInDecoder(from);
  // The built-in decoders write whole units of the intermediate, which is the target here.
  if (!decodesThroughLibrary_ && !encodesThroughLibrary_ && to == ciUCS2 && !IsMapActive(map)) {
    mode_ = TMode::decodeOnly;
    return;
  }
  encoder_ = encodesThroughLibrary_ ? MakeLibraryEncoder(encoding, to, map)
                                    : MakeBuiltInEncoder(to, map, transliterate);
}

TStreamConverter::~TStreamConverter() = default;

TReplacements TStreamConverter::Replacements() const {
  if (mode_ == TMode::byteTable) return byteTableReplacements_;
  return decoder_ ? decoder_->Replacements() : TReplacements{};
}

// Only a piece that had an undefined byte is read again, to count them.
void TStreamConverter::ConvertByTable(std::string_view piece, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + piece.size());
  char* target = out.data() + start;
  std::uint16_t marks = 0;
  for (const char byte : piece) {
    const std::uint16_t entry = byteTable_[static_cast<unsigned char>(byte)];
    *target++ = static_cast<char>(entry);
    marks |= entry;
  }
  if (marks & kUndefinedSource) {
    for (std::size_t i = 0; i < piece.size(); ++i) {
      if (byteTable_[static_cast<unsigned char>(piece[i])] & kUndefinedSource) {
        byteTableReplacements_.Add(consumed_ + i);
      }
    }
  }
  consumed_ += piece.size();
}

void TStreamConverter::Convert(std::string_view piece, std::string& out) {
  switch (mode_) {
    case TMode::passThrough:
      out += piece;
      return;
    case TMode::byteTable:
      ConvertByTable(piece, out);
      return;
    case TMode::decodeOnly:
      decoder_->Decode(piece, out);
      return;
    case TMode::direct:
      encoder_->Encode(piece, out);
      return;
    case TMode::intermediate:
      ucs2_ = oddByte_;
      decoder_->Decode(piece, ucs2_);
      EncodeIntermediate(out);
      return;
  }
}

void TStreamConverter::Finish(std::string& out) {
  if (mode_ == TMode::decodeOnly) decoder_->Finish(out);
  if (mode_ == TMode::direct) encoder_->Finish(out);
  if (mode_ != TMode::intermediate) return;
  ucs2_ = oddByte_;
  decoder_->Finish(ucs2_);
  EncodeIntermediate(out);
  encoder_->Finish(out);
}

// Whole units go on; a last odd byte waits for the next piece, and at the end is ignored.
void TStreamConverter::EncodeIntermediate(std::string& out) {
  const std::size_t whole = ucs2_.size() & ~std::size_t{1};
  encoder_->Encode(std::string_view(ucs2_).substr(0, whole), out);
  oddByte_ = ucs2_.substr(whole);
}

}  // namespace sanivo
