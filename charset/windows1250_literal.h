// "…"_cp1250: a UTF-8 string literal turned into Windows-1250 bytes while compiling, so that
// the texts stay readable in the source and the program holds the bytes its converting console
// write expects. A character that Windows-1250 lacks, or text that is not UTF-8, stops the
// compilation at the literal. The mapping is the generated Windows-1250 table of charset/.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "charset/code_page_tables.h"

namespace sanivo {

namespace windows1250_literal {

// A string literal as a template argument.
template <std::size_t Size>
struct TUtf8Literal {
  char bytes[Size]{};
  consteval TUtf8Literal(const char (&text)[Size]) { std::copy_n(text, Size, bytes); }
  consteval std::string_view Text() const { return {bytes, Size - 1}; }  // without the zero
};

constexpr bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

consteval std::size_t CharacterCount(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(
      text, [](char byte) { return !IsContinuationByte(static_cast<unsigned char>(byte)); }));
}

// The character that begins at `at`; moves `at` past it. A throw in constant evaluation is a
// compile error that points here.
consteval char32_t DecodeUtf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  const std::size_t continuations = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (continuations == 0 || lead >= 0xF8) throw "the text is not UTF-8: a stray byte";
  constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
  char32_t character = lead & (0x3F >> continuations);
  for (std::size_t i = 0; i < continuations; ++i) {
    if (at == text.size() || !IsContinuationByte(static_cast<unsigned char>(text[at]))) {
      throw "the text is not UTF-8: a character is cut short";
    }
    character = character << 6 | (static_cast<unsigned char>(text[at++]) & 0x3F);
  }
  if (character < kSmallest[continuations]) throw "the text is not UTF-8: an overlong form";
  return character;
}

consteval char EncodeWindows1250(char32_t character) {
  if (character < kFirstTableByte) return static_cast<char>(character);
  const TCharsetTable& table = kCodePageTables[ciWindows1250];
  // U+FFFD marks the bytes that the code page leaves undefined; it is no character of it.
  const auto found = std::ranges::find(table, character);
  if (character == 0xFFFD || found == table.end()) throw "Windows-1250 lacks this character";
  return static_cast<char>(kFirstTableByte + (found - table.begin()));
}

template <std::size_t Size>
consteval std::array<char, Size> ToWindows1250(std::string_view text) {
  std::array<char, Size> bytes{};
  std::size_t at = 0;
  for (char& byte : bytes) byte = EncodeWindows1250(DecodeUtf8(text, at));
  if (at != text.size()) throw "the text is not UTF-8: a stray byte";
  return bytes;
}

template <TUtf8Literal kText>
inline constexpr auto kBytes = ToWindows1250<CharacterCount(kText.Text())>(kText.Text());

}  // namespace windows1250_literal

template <windows1250_literal::TUtf8Literal kText>
consteval std::string_view operator""_cp1250() {
  const auto& bytes = windows1250_literal::kBytes<kText>;
  return {bytes.data(), bytes.size()};
}

}  // namespace sanivo
