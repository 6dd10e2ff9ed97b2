#include "tools/guisend/guisend.h"

#include <string_view>

#include "base/number_text.h"

namespace sanivo {

namespace {

constexpr std::string_view kStyleOption = "-style:";
constexpr std::string_view kColorOption = "-color:";
constexpr std::string_view kInfoOption = "-info";

// "0x" and one to eight hexadecimal digits.
std::optional<TColor> ParseColor(std::string_view text) {
  if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] | 0x20) != 'x') {
    return std::nullopt;
  }
  return ParseWholeNumber<TColor>(text.substr(2), 16);
}

}  // namespace

std::optional<TGuisendRequest> ParseGuisendArguments(const std::vector<std::string>& arguments) {
  TGuisendRequest request;
  bool styled = false;
  std::size_t i = 0;
  for (; i < arguments.size() && arguments[i].starts_with('-'); ++i) {
    const std::string_view option = arguments[i];
    if (option == kInfoOption) {
      request.info = true;
    } else if (option.starts_with(kStyleOption)) {
      const auto byte = ParseWholeNumber<std::uint8_t>(option.substr(kStyleOption.size()), 10);
      if (!byte) return std::nullopt;
      request.style = TFontStyles::FromByte(*byte);
      styled = true;
    } else if (option.starts_with(kColorOption)) {
      const auto color = ParseColor(option.substr(kColorOption.size()));
      if (!color) return std::nullopt;
      request.color = *color;
      styled = true;
    } else {
      return std::nullopt;
    }
  }
  // One text at most, after the options; an info line takes no style or colour.
  if (arguments.size() - i > 1 || (request.info && styled)) return std::nullopt;
  if (i < arguments.size()) request.text = arguments[i];
  return request;
}

void SendGuisendRequest(const TGuisendRequest& request) {
  if (request.info) {
    GuiConsoleWriteInfo(request.text);
  } else {
    GuiConsoleWrite(request.text, request.style, request.color);
  }
}

}  // namespace sanivo
