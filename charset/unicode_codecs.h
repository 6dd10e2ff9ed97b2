// The transfer encodings of Unicode that the built-in conversion passes through: UTF-8 to and
// from big-endian four-byte units, UTF-7 (standard and modified) to and from big-endian
// two-byte units, and the base64 routines under UTF-7.
//
// Texts that were stored by earlier versions rely on the exact results, odd inputs included:
// an incomplete last unit reads as 0, UTF-8 sequences take every continuation byte that follows
// whatever their lead byte announced, and a UTF-7 run that decodes to an odd number of bytes is
// taken literally.
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

std::string Utf8ToUcs4(std::string_view text);
// The value of the UTF-8 sequence at position, which moves past it: a lead byte's bits and every
// continuation byte that follows (low 32 bits); a byte below 0x80 is its own value.
std::uint32_t ReadUtf8Sequence(std::string_view text, std::size_t& position);
std::string Ucs4ToUtf8(std::string_view text);
std::string Utf7ToUcs2(std::string_view text, bool modified);

// The value bits of a UTF-8 lead byte: none for a stray continuation byte, 0xFE or 0xFF.
std::uint32_t Utf8LeadByteBits(unsigned char byte);
// "+" for UTF-7, "&" for modified UTF-7; a run of base64 follows it.
char Utf7ShiftCharacter(bool modified);
std::string_view Utf7Alphabet(bool modified);
// The 64 digits of the variant's alphabet; the run after a shift character takes these only.
bool IsUtf7RunCharacter(char c, bool modified);
// One run as UCS-2BE units: the shift character when it is empty, its decoded bytes when they
// are an even number, else the shift character and the run's characters taken literally.
void AppendUtf7Run(std::string& ucs2, std::string_view run, bool modified);
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
