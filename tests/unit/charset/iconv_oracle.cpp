#include "tests/unit/charset/iconv_oracle.h"

#include <array>

namespace sanivo::testing {

namespace {

constexpr std::size_t kIconvFailed = static_cast<std::size_t>(-1);

}  // namespace

TIconvDecoder::TIconvDecoder(const std::string& charset_name)
    : descriptor_(iconv_open("UCS-2BE", charset_name.c_str())) {}

TIconvDecoder::~TIconvDecoder() {
  if (IsOpen()) iconv_close(descriptor_);
}

std::optional<std::uint16_t> TIconvDecoder::Decode(unsigned char byte) {
  iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
  char input = static_cast<char>(byte);
  std::array<char, 16> output{};
  char* in = &input;
  char* out = output.data();
  std::size_t in_left = 1;
  std::size_t out_left = output.size();
  if (iconv(descriptor_, &in, &in_left, &out, &out_left) == kIconvFailed) return std::nullopt;
  // Windows-1255 and -1258 hold a base letter back in case a combining mark follows.
  if (iconv(descriptor_, nullptr, nullptr, &out, &out_left) == kIconvFailed) return std::nullopt;
  if (output.size() - out_left != 2) return std::nullopt;
  return static_cast<std::uint16_t>(static_cast<unsigned char>(output[0]) << 8 |
                                    static_cast<unsigned char>(output[1]));
}

std::optional<std::string> IconvText(const std::string& from, const std::string& to,
                                     const std::string& text, bool flush) {
  const iconv_t descriptor = iconv_open(to.c_str(), from.c_str());
  if (descriptor == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string input = text;
  std::string output(text.size() * 8 + 64, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t in_left = input.size();
  std::size_t out_left = output.size();
  const bool converted =
      iconv(descriptor, &in, &in_left, &out, &out_left) != kIconvFailed &&
      (!flush || iconv(descriptor, nullptr, nullptr, &out, &out_left) != kIconvFailed);
  iconv_close(descriptor);
  if (!converted) return std::nullopt;
  output.resize(output.size() - out_left);
  return output;
}

}  // namespace sanivo::testing
