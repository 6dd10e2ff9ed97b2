// The ANSI code page of the machine, Windows-1250: upper-casing, comparison, character steps;
// and the decoding of console bytes (CP852) for the tests.
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "tests/sim/state.h"

namespace sim {
namespace {

// Converts with glibc's iconv; nullopt when the text has no form in the target charset.
std::optional<std::string> Convert(const char* to, const char* from, std::string_view text) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "sim: iconv cannot convert from %s to %s\n", from, to);
    std::abort();
  }
  std::string input(text);
  std::string output(input.size() * 4 + 4, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) return std::nullopt;
  output.resize(output.size() - outLeft);
  return output;
}

// A byte keeps its value when its upper case has no byte of its own in Windows-1250.
std::array<unsigned char, 256> MakeUpperTable() {
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (utf8 == static_cast<locale_t>(0)) {
    std::fprintf(stderr, "sim: the C.UTF-8 locale is missing\n");
    std::abort();
  }
  std::array<unsigned char, 256> table{};
  for (int byte = 0; byte < 256; ++byte) {
    table[byte] = static_cast<unsigned char>(byte);
    std::optional<std::string> wide =
        Convert("WCHAR_T", "CP1250", std::string(1, static_cast<char>(byte)));
    if (!wide || wide->size() != sizeof(wchar_t)) continue;
    wchar_t character;
    std::copy_n(wide->data(), sizeof(wchar_t), reinterpret_cast<char*>(&character));
    wchar_t upper = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(character), utf8));
    std::optional<std::string> narrow = Convert(
        "CP1250", "WCHAR_T", std::string_view(reinterpret_cast<const char*>(&upper), sizeof upper));
    if (narrow && narrow->size() == 1) table[byte] = static_cast<unsigned char>((*narrow)[0]);
  }
  freelocale(utf8);
  return table;
}

const std::array<unsigned char, 256>& UpperTable() {
  static const std::array<unsigned char, 256> table = MakeUpperTable();
  return table;
}

}  // namespace

std::string UpperAnsi(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(UpperTable()[static_cast<unsigned char>(c)]);
  return upper;
}

bool EqualNoCase(std::string_view first, std::string_view second) {
  return first.size() == second.size() && UpperAnsi(first) == UpperAnsi(second);
}

bool LessNoCase(std::string_view first, std::string_view second) {
  std::string a = UpperAnsi(first);
  std::string b = UpperAnsi(second);
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  });
}

std::string Cp852ToUtf8(std::string_view bytes) {
  // Every byte of CP852 has a character, so the conversion cannot fail.
  return Convert("UTF-8", "CP852", bytes).value_or(std::string());
}

std::string HexByte(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value));
  return text;
}

}  // namespace sim

namespace os {

// Ordered as the user's locale orders words only roughly: by the upper-cased bytes, and where
// those agree, a lower-case letter before its capital.
int CompareStringA(std::uint32_t flags, std::string_view first, std::string_view second) {
  auto& s = sim::Current("CompareStringA");
  s.Log("CompareStringA",
        std::string(first) + "|" + std::string(second) + "|" + std::to_string(flags));
  if (s.FailsByInjection("CompareStringA", {})) return 0;
  if (first == second) return kCstrEqual;
  std::string a = sim::UpperAnsi(first);
  std::string b = sim::UpperAnsi(second);
  if (a != b) return sim::LessNoCase(first, second) ? kCstrLessThan : kCstrGreaterThan;
  if (flags & kNormIgnoreCase) return kCstrEqual;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i] == second[i]) continue;
    bool firstIsLower = a[i] != first[i];
    return firstIsLower ? kCstrLessThan : kCstrGreaterThan;
  }
  return kCstrEqual;
}

std::string CharUpperBuffA(std::string text) {
  auto& s = sim::Current("CharUpperBuffA");
  s.Log("CharUpperBuffA", text);
  return sim::UpperAnsi(text);
}

// A single-byte code page: one byte a character; the terminating zero is never stepped over.
std::size_t CharNextA(std::string_view text, std::size_t position) {
  sim::Current("CharNextA");
  if (position >= text.size() || text[position] == '\0') return std::min(position, text.size());
  return position + 1;
}

}  // namespace os
