#include "tools/cpconv/cpconv.h"

#include <string_view>

#include "base/number_text.h"
#include "charset/charset.h"

namespace sanivo {

namespace {

std::optional<TCharsetId> ParseCharsetId(std::string_view text) {
  const std::optional<unsigned> id = ParseWholeNumber<unsigned>(text, 10);
  if (!id || *id >= kCharsetIdCount) return std::nullopt;
  return static_cast<TCharsetId>(*id);
}

// "W,W,..." of one to four hexadecimal digits each.
std::optional<std::vector<std::uint16_t>> ParseMap(std::string_view text) {
  std::vector<std::uint16_t> words;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::string_view word = text.substr(0, comma);
    const std::optional<std::uint16_t> value =
        word.size() <= 4 ? ParseWholeNumber<std::uint16_t>(word, 16) : std::nullopt;
    if (!value) return std::nullopt;
    words.push_back(*value);
    if (comma == std::string_view::npos) return words;
    text.remove_prefix(comma + 1);
  }
}

}  // namespace

std::optional<TCpconvOptions> ParseCpconvArguments(const std::vector<std::string>& arguments) {
  TCpconvOptions options;
  std::vector<std::string_view> ids;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--strict") {
      options.strict = true;
    } else if (argument == "--map") {
      if (++i == arguments.size()) return std::nullopt;
      std::optional<std::vector<std::uint16_t>> map = ParseMap(arguments[i]);
      if (!map) return std::nullopt;
      options.map = std::move(*map);
    } else {
      ids.push_back(argument);
    }
  }
  if (ids.size() != 2) return std::nullopt;
  const std::optional<TCharsetId> from = ParseCharsetId(ids[0]);
  const std::optional<TCharsetId> to = ParseCharsetId(ids[1]);
  if (!from || !to) return std::nullopt;
  options.from = *from;
  options.to = *to;
  return options;
}

std::string RunCpconv(const TCpconvOptions& options, const std::string& input) {
  const TReplacementMap map =
      options.map.empty() ? TReplacementMap(NoReplacement) : TReplacementMap(options.map);
  return ConvertCharsetEx(input, options.from, options.to, map, !options.strict);
}

}  // namespace sanivo
