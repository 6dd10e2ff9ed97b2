// The command-line parser: -name and -name:value arguments become named parameters, every
// other argument a positional one with an empty name. The command line is parsed once, when
// the parser is made, and only queried afterwards.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sysenv/errors.h"

namespace sanivo {

// A name that the known-name check rejected.
class EUnexpectedParam : public Exception {
 public:
  [[gnu::always_inline]] explicit EUnexpectedParam(std::string paramName)
      : Exception("Unexpected param \"" + paramName + "\""), paramName_(std::move(paramName)) {}
  const char* ClassName() const override { return "EUnexpectedParam"; }
  // Documented with the error; the program's own parser does not check names yet.
  const std::string& ParamName() const { return paramName_; }

 private:
  std::string paramName_;
};

// The parser's settings; they are fixed before the parse. The program parses with the defaults;
// the others are part of the documented parser, kept for tools that check their arguments.
struct TParamParserOptions {
  // Entries "given=canonical": a name written as `given` (any case) is recorded as
  // `canonical`. Entries without "=" rename nothing.
  std::vector<std::string> Aliases;
  // Whether names match exactly; otherwise without regard to case. KnownParams compares the
  // same way.
  bool CaseSensitive = false;
  std::vector<std::string> KnownParams;
  // Whether every parsed name must be in KnownParams.
  bool CheckKnown = false;
  // Cuts a value into its Values.
  std::string Separator = ";";
  // Whether a name that fails the known-name check raises EUnexpectedParam; without it the
  // argument is left out.
  bool RaiseOnUnexpected = true;
};

class TParamParserParam {
 public:
  TParamParserParam(std::string name, std::string value, std::string_view separator,
                    std::int32_t index, std::string argument);

  // As written: after the first colon of -name:value, empty for -name, the whole argument
  // for a positional parameter.
  const std::string& Value() const { return value_; }
  // Value cut at every separator, in order, empty pieces kept. Documented; no caller yet.
  const std::vector<std::string>& Values() const { return values_; }
  // After alias resolution; empty for a positional parameter.
  const std::string& Name() const { return name_; }
  // The argument's position among the program's arguments, from 0, counting every argument
  // whether it was kept or not. Documented; no caller yet.
  std::int32_t Index() const { return index_; }
  // The argument as it was written, for telling the user about it.
  const std::string& Argument() const { return argument_; }

 private:
  std::string value_;
  std::vector<std::string> values_;
  std::string name_;
  std::int32_t index_;
  std::string argument_;
};

class TParamParser {
 public:
  // Parses the process's command line at once.
  explicit TParamParser(TParamParserOptions options = {});
  // Parses `commandLine`, a whole command line with the program name first, at once.
  explicit TParamParser(std::string_view commandLine, TParamParserOptions options = {});

  // The parameters in command-line order; repeated names are all kept.
  const std::vector<TParamParserParam>& Params() const { return params_; }
  // The raw command line after the program name. Documented; no caller yet.
  const std::string& CommandLine() const { return commandLine_; }

  // The first parameter whose name matches, or null. An empty name finds the first
  // positional parameter or lone dash.
  const TParamParserParam* FindParam(std::string_view name) const;
  bool HasParam(std::string_view name) const;
  // The value of FindParam's parameter; empty when there is none (only HasParam tells that
  // from a parameter without a value).
  std::string GetParamValue(std::string_view name) const;
  bool IsKnownParam(std::string_view name) const;
  std::string ResolveAlias(std::string_view name) const;
  // The known-name check; raises EUnexpectedParam when the settings ask for it.
  bool AcceptParam(std::string_view name) const;

 private:
  void Parse(std::string_view line);
  bool NamesMatch(std::string_view first, std::string_view second) const;

  TParamParserOptions options_;
  std::vector<TParamParserParam> params_;
  std::string commandLine_;
};

// The one parser; it lives from InitializeParamParser to FinalizeParamParser.
extern std::unique_ptr<TParamParser> ParamParser;
void InitializeParamParser();
void FinalizeParamParser();

}  // namespace sanivo
