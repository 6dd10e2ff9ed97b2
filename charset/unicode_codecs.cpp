#include "charset/unicode_codecs.h"

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

void AppendBigEndianUnit(std::string& out, std::uint32_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) out += static_cast<char>(value >> (8 * i) & 0xFF);
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

char Utf7ShiftCharacter(bool modified) { return modified ? '&' : '+'; }

std::string_view Utf7Alphabet(bool modified) {
  return modified ? kBase64ModifiedAlphabet : kBase64StandardAlphabet;
}

bool IsUtf7RunCharacter(char c, bool modified) {
  return Utf7Alphabet(modified).substr(0, kPadIndex).find(c) != std::string_view::npos;
}

void AppendUtf7Run(std::string& ucs2, std::string_view run, bool modified) {
  const char shift = Utf7ShiftCharacter(modified);
  if (run.empty()) {
    AppendBigEndianUnit(ucs2, static_cast<unsigned char>(shift), 2);
    return;
  }
  const std::string decoded = modified ? DecodeBase64ByAlphabet(run, Utf7Alphabet(modified))
                                       : DecodeBase64ByTable(run, kBase64StandardDecodingTable);
  if (decoded.size() % 2 == 0) {
    ucs2 += decoded;
  } else {
    AppendBytesAsUnits(ucs2, std::string(1, shift));
    AppendBytesAsUnits(ucs2, run);
  }
}

std::string Utf8ToUcs4(std::string_view text) {
  std::string out;
  out.reserve(4 * text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    const TUtf8Step step = ReadUtf8Step(bytes + i, text.size() - i, true);
    AppendBigEndianUnit(out, step.value == kIllFormed ? kReplacementCharacter : step.value, 4);
    i += step.length;
  }
  return out;
}

std::string Ucs4ToUtf8(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    const bool whole = text.size() - i >= 4;
    std::uint32_t value = whole ? ReadBigEndian(text, i, 4) : kReplacementCharacter;
    if (!IsScalarValue(value)) value = kReplacementCharacter;
    char bytes[4];
    out.append(bytes, PutUtf8(value, bytes));
  }
  return out;
}

TUtf7Writer::TUtf7Writer(bool modified)
    : shift_(Utf7ShiftCharacter(modified)), alphabet_(Utf7Alphabet(modified)) {}

void TUtf7Writer::Put(std::uint16_t unit, std::string& out) {
  if (unit < 0x80) {
    if (inRun_) Finish(out);
    out += static_cast<char>(unit);
    if (unit == static_cast<unsigned char>(shift_)) out += kRunEnd;
    return;
  }
  if (!inRun_) {
    out += shift_;
    inRun_ = true;
  }
  for (const char byte : {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)}) {
    runBytes_[held_++] = byte;
    if (held_ == 3) {
      out += EncodeBase64With(std::string_view(runBytes_, 3), alphabet_);
      held_ = 0;
    }
  }
}

void TUtf7Writer::Finish(std::string& out) {
  if (!inRun_) return;
  const std::string encoded = EncodeBase64With(std::string_view(runBytes_, held_), alphabet_);
  out += encoded.substr(0, encoded.find(kPad));
  out += kRunEnd;
  held_ = 0;
  inRun_ = false;
}

std::string Ucs2ToUtf7(std::string_view text, bool modified) {
  TUtf7Writer writer(modified);
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const bool whole = text.size() - i >= 2;
    writer.Put(
        static_cast<std::uint16_t>(whole ? ReadBigEndian(text, i, 2) : kReplacementCharacter), out);
  }
  writer.Finish(out);
  return out;
}

std::string Utf7ToUcs2(std::string_view text, bool modified) {
  const char shift = Utf7ShiftCharacter(modified);
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char byte = text[i++];
    if (byte != shift) {
      AppendBigEndianUnit(out, static_cast<unsigned char>(byte), 2);
      continue;
    }
    const std::size_t runStart = i;
    while (i < text.size() && IsUtf7RunCharacter(text[i], modified)) ++i;
    const std::string_view run = text.substr(runStart, i - runStart);
    if (i < text.size() && text[i] == kRunEnd) ++i;
    AppendUtf7Run(out, run, modified);
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
