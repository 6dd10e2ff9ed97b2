// The transfer encodings of Unicode that the built-in conversion passes through: UTF-8 to and
// from big-endian four-byte units, UTF-7 (standard and modified) to and from big-endian
// two-byte units, and the base64 routines under UTF-7. Here is the one reading and the one
// writing of UTF-8 and the one writing of UTF-7; the conversion's decoders and encoders use them.
//
// Bytes that are not well-formed UTF-8 become U+FFFD, one for each maximal ill-formed subpart
// (the Unicode Standard's recommended practice), and so does a unit that the end of a text cuts
// short. A UTF-7 run that decodes to an odd number of bytes is taken literally, as stored texts
// have it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sanivo {

// The 65th character of each alphabet, index 64, is the pad character.
inline constexpr std::string_view kBase64StandardAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";
inline constexpr std::string_view kBase64ModifiedAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,=";

// The sextets of characters 33 to 127 (entry 0 is character 33) in the standard alphabet, 64
// for every character that is not one of its 64 digits, "=" included.
struct TBase64DecodingTable {
  unsigned char sextet[95];
};
extern const TBase64DecodingTable kBase64StandardDecodingTable;

inline constexpr std::uint32_t kReplacementCharacter = 0xFFFD;
inline constexpr std::uint32_t kByteOrderMark = 0xFEFF;
inline constexpr std::uint32_t kSwappedByteOrderMark = 0xFFFE;
inline constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

constexpr bool IsSurrogate(std::uint32_t value) { return (value & 0xFFFFF800u) == 0xD800; }
constexpr bool IsHighSurrogate(std::uint32_t value) { return (value & 0xFFFFFC00u) == 0xD800; }
constexpr bool IsLowSurrogate(std::uint32_t value) { return (value & 0xFFFFFC00u) == 0xDC00; }
constexpr bool IsScalarValue(std::uint32_t value) {
  return value <= kLastCodePoint && !IsSurrogate(value);
}
constexpr std::uint32_t CombineSurrogates(std::uint32_t high, std::uint32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// One step of UTF-8 decoding by the Unicode Standard's Table 3-7: the value of the sequence at
// bytes and its length, or kIllFormed and the length of the maximal ill-formed subpart there.
// Length 0 means a well-formed beginning that the available bytes end before: more may come,
// unless atEnd, when the beginning is ill-formed.
inline constexpr std::uint32_t kIllFormed = 0xFFFFFFFF;
struct TUtf8Step {
  std::uint32_t value;
  unsigned length;
};
inline TUtf8Step ReadUtf8Step(const unsigned char* bytes, std::size_t available, bool atEnd) {
  const unsigned lead = bytes[0];
  if (lead < 0x80) return {lead, 1};
  if (lead < 0xC2 || lead > 0xF4) return {kIllFormed, 1};
  const unsigned length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  // The second byte's range is narrower after these leads: no overlong forms, no surrogates,
  // nothing above U+10FFFF.
  const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  std::uint32_t value = lead & (0x7Fu >> length);
  for (unsigned i = 1; i < length; ++i) {
    if (i == available) return {atEnd ? kIllFormed : 0, atEnd ? i : 0};
    const unsigned byte = bytes[i];
    if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) return {kIllFormed, i};
    value = value << 6 | (byte & 0x3F);
  }
  return {value, length};
}

// Standard UTF-8 of a scalar value, written at out (one to four bytes); gives the end.
inline char* PutUtf8(std::uint32_t value, char* out) {
  if (value < 0x80) {
    *out++ = static_cast<char>(value);
  } else if (value < 0x800) {
    *out++ = static_cast<char>(0xC0 | value >> 6);
    *out++ = static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    *out++ = static_cast<char>(0xE0 | value >> 12);
    *out++ = static_cast<char>(0x80 | (value >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (value & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | value >> 18);
    *out++ = static_cast<char>(0x80 | (value >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (value >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (value & 0x3F));
  }
  return out;
}

// UTF-8 to big-endian four-byte units, ill-formed subparts as U+FFFD.
std::string Utf8ToUcs4(std::string_view text);
// Big-endian four-byte units to UTF-8; a unit that is no scalar value, or that the end cuts
// short, is written as U+FFFD.
std::string Ucs4ToUtf8(std::string_view text);
std::string Utf7ToUcs2(std::string_view text, bool modified);

// UTF-7 of 16-bit units, one after the other: units from 0x80 up form a base64 run that the
// next smaller unit, or the end, closes with "-"; the shift character is written with "-".
class TUtf7Writer {
 public:
  explicit TUtf7Writer(bool modified);
  void Put(std::uint16_t unit, std::string& out);
  // Closes an open run.
  void Finish(std::string& out);

 private:
  char shift_;
  std::string_view alphabet_;
  bool inRun_ = false;
  char runBytes_[3] = {};
  unsigned held_ = 0;  // bytes of the run not yet written, fewer than three
};
// "+" for UTF-7, "&" for modified UTF-7; a run of base64 follows it.
char Utf7ShiftCharacter(bool modified);
std::string_view Utf7Alphabet(bool modified);
// The 64 digits of the variant's alphabet; the run after a shift character takes these only.
bool IsUtf7RunCharacter(char c, bool modified);
// One run as UCS-2BE units: the shift character when it is empty, its decoded bytes when they
// are an even number, else the shift character and the run's characters taken literally.
void AppendUtf7Run(std::string& ucs2, std::string_view run, bool modified);
// Big-endian two-byte units to UTF-7; a last unit cut short is written as U+FFFD.
std::string Ucs2ToUtf7(std::string_view text, bool modified);

// Every 3 bytes become 4 characters of the alphabet; a missing third or fourth sextet of the
// last group is index 64, and an index the alphabet does not reach writes nothing.
std::string EncodeBase64With(std::string_view data, std::string_view alphabet);
// Skips characters outside 33..127 and those the table maps to 64 or more.
std::string DecodeBase64ByTable(std::string_view text, const TBase64DecodingTable& table);
// Groups of 4 characters; a character missing from the alphabet is sextet 0, a position past
// the end of the text is 64.
std::string DecodeBase64ByAlphabet(std::string_view text, std::string_view alphabet);

}  // namespace sanivo
