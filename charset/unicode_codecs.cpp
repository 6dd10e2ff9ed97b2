#include "charset/unicode_codecs.h"

#include <bit>
#include <cstdint>

#include "base/big_endian.h"

namespace sanivo {

namespace {

constexpr unsigned kPadIndex = 64;
constexpr char kRunEnd = '-';
constexpr char kPad = '=';

constexpr TBase64DecodingTable MakeDecodingTable(std::string_view alphabet) {
  TBase64DecodingTable table{};
  for (unsigned char& sextet : table.sextet) sextet = kPadIndex;
  for (unsigned index = 0; index < kPadIndex; ++index) {
    table.sextet[static_cast<unsigned char>(alphabet[index]) - 33] =
        static_cast<unsigned char>(index);
  }
  return table;
}

// The unit at `position`, most significant byte first; a unit cut short by the end reads as 0.
std::uint32_t ReadBigEndianUnit(std::string_view text, std::size_t position, std::size_t width) {
  return text.size() - position < width ? 0 : ReadBigEndian(text, position, width);
}

void AppendBigEndianUnit(std::string& out, std::uint32_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

bool IsContinuationByte(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

// The value bits that a UTF-8 lead byte carries: none for a stray continuation byte, 0xFE or 0xFF.
std::uint32_t LeadByteBits(unsigned char byte) {
  const int leadingOnes = std::countl_one(byte);
  if (leadingOnes < 2 || leadingOnes > 6) return 0;
  return byte & (0x7Fu >> leadingOnes);
}

char ShiftCharacter(bool modified) { return modified ? '&' : '+'; }
std::string_view AlphabetOf(bool modified) {
  return modified ? kBase64ModifiedAlphabet : kBase64StandardAlphabet;
}

bool IsBase64Digit(char c, std::string_view alphabet) {
  return alphabet.substr(0, kPadIndex).find(c) != std::string_view::npos;
}

void AppendBytesAsUnits(std::string& out, std::string_view bytes) {
  for (char byte : bytes) AppendBigEndianUnit(out, static_cast<unsigned char>(byte), 2);
}

void AppendSextet(std::string& out, unsigned sextet, std::string_view alphabet) {
  if (sextet < alphabet.size()) out += alphabet[sextet];
}

}  // namespace

const TBase64DecodingTable kBase64StandardDecodingTable =
    MakeDecodingTable(kBase64StandardAlphabet);

std::uint32_t ReadUtf8Sequence(std::string_view text, std::size_t& position) {
  const auto byte = static_cast<unsigned char>(text[position++]);
  if (byte < 0x80) return byte;
  std::uint32_t value = LeadByteBits(byte);
  while (position < text.size() && IsContinuationByte(static_cast<unsigned char>(text[position]))) {
    value = value << 6 | (static_cast<unsigned char>(text[position++]) & 0x3F);
  }
  return value;
}

std::string Utf8ToUcs4(std::string_view text) {
  std::string out;
  out.reserve(4 * text.size());
  for (std::size_t i = 0; i < text.size();) AppendBigEndianUnit(out, ReadUtf8Sequence(text, i), 4);
  return out;
}

std::string Ucs4ToUtf8(std::string_view text) {
  static constexpr unsigned char kLeadMarks[] = {0, 0xC0, 0xE0, 0xF0, 0xF8, 0xFC};
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const std::uint32_t value = ReadBigEndianUnit(text, i, 4);
    if (value < 0x80) {
      out += static_cast<char>(value);
      continue;
    }
    const int trailing = std::bit_width(value) / 6;
    out += static_cast<char>(kLeadMarks[trailing] | value >> (6 * trailing));
    for (int k = trailing - 1; k >= 0; --k)
      out += static_cast<char>(0x80 | (value >> (6 * k) & 0x3F));
  }
  return out;
}

std::string Ucs2ToUtf7(std::string_view text, bool modified) {
  const char shift = ShiftCharacter(modified);
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::uint32_t unit = ReadBigEndianUnit(text, i, 2);
    if (unit < 0x80) {
      out += static_cast<char>(unit);
      if (unit == static_cast<unsigned char>(shift)) out += kRunEnd;
      i += 2;
      continue;
    }
    std::string run;
    for (; i < text.size() && ReadBigEndianUnit(text, i, 2) >= 0x80; i += 2) {
      AppendBigEndianUnit(run, ReadBigEndianUnit(text, i, 2), 2);
    }
    const std::string encoded = EncodeBase64With(run, AlphabetOf(modified));
    out += shift;
    out += encoded.substr(0, encoded.find(kPad));
    out += kRunEnd;
  }
  return out;
}

std::string Utf7ToUcs2(std::string_view text, bool modified) {
  const char shift = ShiftCharacter(modified);
  const std::string_view alphabet = AlphabetOf(modified);
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char byte = text[i++];
    if (byte != shift) {
      AppendBigEndianUnit(out, static_cast<unsigned char>(byte), 2);
      continue;
    }
    const std::size_t runStart = i;
    while (i < text.size() && IsBase64Digit(text[i], alphabet)) ++i;
    const std::string_view run = text.substr(runStart, i - runStart);
    if (i < text.size() && text[i] == kRunEnd) ++i;
    if (run.empty()) {
      AppendBigEndianUnit(out, static_cast<unsigned char>(shift), 2);
      continue;
    }
    const std::string decoded = modified ? DecodeBase64ByAlphabet(run, alphabet)
                                         : DecodeBase64ByTable(run, kBase64StandardDecodingTable);
    if (decoded.size() % 2 == 0) {
      out += decoded;
    } else {
      AppendBytesAsUnits(out, std::string(1, shift));
      AppendBytesAsUnits(out, run);
    }
  }
  return out;
}

std::string EncodeBase64With(std::string_view data, std::string_view alphabet) {
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::size_t left = data.size() - i;
    const auto byte = [&](std::size_t k) -> unsigned {
      return k < left ? static_cast<unsigned char>(data[i + k]) : 0;
    };
    AppendSextet(out, byte(0) >> 2, alphabet);
    AppendSextet(out, (byte(0) & 0x03) << 4 | byte(1) >> 4, alphabet);
    AppendSextet(out, left > 1 ? (byte(1) & 0x0F) << 2 | byte(2) >> 6 : kPadIndex, alphabet);
    AppendSextet(out, left > 2 ? byte(2) & 0x3F : kPadIndex, alphabet);
  }
  return out;
}

std::string DecodeBase64ByTable(std::string_view text, const TBase64DecodingTable& table) {
  std::string out;
  std::uint32_t bits = 0;
  int sextets = 0;
  for (char c : text) {
    const auto character = static_cast<unsigned char>(c);
    if (character < 33 || character > 127) continue;
    const unsigned sextet = table.sextet[character - 33];
    if (sextet >= kPadIndex) continue;
    bits = bits << 6 | sextet;
    // Each sextet after the first completes one more byte, until four make three.
    if (++sextets > 1) out += static_cast<char>(bits >> (2 * (4 - sextets)) & 0xFF);
    if (sextets == 4) {
      sextets = 0;
      bits = 0;
    }
  }
  return out;
}

std::string DecodeBase64ByAlphabet(std::string_view text, std::string_view alphabet) {
  const auto sextetAt = [&](std::size_t position) -> unsigned {
    if (position >= text.size()) return kPadIndex;
    const std::size_t found = alphabet.find(text[position]);
    return found == std::string_view::npos ? 0 : static_cast<unsigned>(found);
  };
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const unsigned s1 = sextetAt(i), s2 = sextetAt(i + 1), s3 = sextetAt(i + 2),
                   s4 = sextetAt(i + 3);
    out += static_cast<char>((s1 << 2 | s2 >> 4) & 0xFF);
    if (s3 == kPadIndex) continue;
    out += static_cast<char>((s2 << 4 | s3 >> 2) & 0xFF);
    if (s4 == kPadIndex) continue;
    out += static_cast<char>((s3 << 6 | s4) & 0xFF);
  }
  return out;
}

}  // namespace sanivo
