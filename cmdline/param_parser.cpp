#include "cmdline/param_parser.h"

#include "cmdline/command_line.h"
#include "platform/os.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

constexpr char kNameValueSeparator = ':';
constexpr char kAliasSeparator = '=';

std::vector<std::string> SplitAtSeparator(std::string_view value, std::string_view separator) {
  std::vector<std::string> pieces;
  // An empty separator occurs nowhere; searching for it would never move on.
  if (!separator.empty()) {
    for (std::size_t at = value.find(separator); at != std::string_view::npos;
         at = value.find(separator)) {
      pieces.emplace_back(value.substr(0, at));
      value.remove_prefix(at + separator.size());
    }
  }
  pieces.emplace_back(value);
  return pieces;
}

}  // namespace

TParamParserParam::TParamParserParam(std::string name, std::string value,
                                     std::string_view separator, std::int32_t index,
                                     std::string argument)
    : value_(std::move(value)),
      values_(SplitAtSeparator(value_, separator)),
      name_(std::move(name)),
      index_(index),
      argument_(std::move(argument)) {}

TParamParser::TParamParser(TParamParserOptions options)
    : TParamParser(os::GetCommandLineA(), std::move(options)) {}

TParamParser::TParamParser(std::string_view commandLine, TParamParserOptions options)
    : options_(std::move(options)) {
  Parse(commandLine);
}

void TParamParser::Parse(std::string_view line) {
  commandLine_ = CommandLineTail(line);
  const std::vector<std::string> arguments = CommandLineArguments(line);
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    std::string name;
    std::string value;
    if (StartsWithStr("-", argument)) {
      const std::size_t colon = argument.find(kNameValueSeparator);
      // A colon right after the dash belongs to the name: -:x is named ":x".
      if (colon == std::string::npos || colon < 2) {
        name = ResolveAlias(std::string_view(argument).substr(1));
      } else {
        name = ResolveAlias(std::string_view(argument).substr(1, colon - 1));
        value = argument.substr(colon + 1);
      }
    } else {
      value = argument;
    }
    if (AcceptParam(name)) {
      params_.emplace_back(std::move(name), std::move(value), options_.Separator,
                           static_cast<std::int32_t>(index), argument);
    }
  }
}

bool TParamParser::NamesMatch(std::string_view first, std::string_view second) const {
  return options_.CaseSensitive ? EqualsWithCase(first, second) : EqualsIgnoringCase(first, second);
}

const TParamParserParam* TParamParser::FindParam(std::string_view name) const {
  for (const TParamParserParam& param : params_) {
    if (NamesMatch(name, param.Name())) return &param;
  }
  return nullptr;
}

bool TParamParser::HasParam(std::string_view name) const { return FindParam(name) != nullptr; }

std::string TParamParser::GetParamValue(std::string_view name) const {
  const TParamParserParam* param = FindParam(name);
  return param ? param->Value() : std::string();
}

bool TParamParser::IsKnownParam(std::string_view name) const {
  for (const std::string& known : options_.KnownParams) {
    if (NamesMatch(known, name)) return true;
  }
  return false;
}

std::string TParamParser::ResolveAlias(std::string_view name) const {
  for (const std::string& alias : options_.Aliases) {
    const std::size_t separator = alias.find(kAliasSeparator);
    if (separator == std::string::npos) continue;
    if (EqualsIgnoringCase(std::string_view(alias).substr(0, separator), name)) {
      return alias.substr(separator + 1);
    }
  }
  return std::string(name);
}

bool TParamParser::AcceptParam(std::string_view name) const {
  if (!options_.CheckKnown || IsKnownParam(name)) return true;
  if (options_.RaiseOnUnexpected) throw EUnexpectedParam(std::string(name));
  // Checking names but not raising means leaving the unknown ones out: keeping them would
  // make the check do nothing.
  return false;
}

std::unique_ptr<TParamParser> ParamParser;

void InitializeParamParser() { ParamParser = std::make_unique<TParamParser>(); }

void FinalizeParamParser() { ParamParser.reset(); }

}  // namespace sanivo
