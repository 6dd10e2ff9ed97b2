// The command-line splitter and TParamParser on any command line: how arguments are cut, how
// each becomes a named or a positional parameter, and that the arguments survive being written
// out again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmdline/command_line.h"
#include "cmdline/param_parser.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/machine.h"

namespace sanivo {
namespace {

// -name, -:name (the colon right after the dash is part of the name) or -name:value.
bool IsNamedParameter(const std::string& argument, const TParamParserParam& param) {
  const std::string& name = param.Name();
  const bool nameHasColon = name.find(':') != std::string::npos;
  if (argument == "-" + name) return param.Value().empty() && (!nameHasColon || name[0] == ':');
  return !name.empty() && !nameHasColon && argument == "-" + name + ":" + param.Value();
}

std::string JoinValues(const TParamParserParam& param) {
  std::string joined;
  for (const std::string& piece : param.Values()) {
    joined += (&piece == &param.Values().front() ? "" : ";") + piece;
  }
  return joined;
}

void CheckParameters(const TParamParser& parser, const std::vector<std::string>& arguments) {
  // With the settings of this program every argument is kept.
  FUZZ_CHECK(parser.Params().size() == arguments.size());
  for (std::size_t i = 0; i < parser.Params().size(); ++i) {
    const TParamParserParam& param = parser.Params()[i];
    const std::string& argument = arguments[i];
    FUZZ_CHECK(param.Index() == static_cast<std::int32_t>(i));
    FUZZ_CHECK(param.Argument() == argument);
    if (argument.starts_with('-')) {
      FUZZ_CHECK(IsNamedParameter(argument, param));
    } else {
      FUZZ_CHECK(param.Name().empty() && param.Value() == argument);
    }
    FUZZ_CHECK(JoinValues(param) == param.Value());
    const TParamParserParam* found = parser.FindParam(param.Name());
    FUZZ_CHECK(found != nullptr && found->Index() <= param.Index());
    FUZZ_CHECK(parser.GetParamValue(param.Name()) == found->Value());
  }
}

// Each argument in quotes after a program name of our own.
std::string QuotedAgain(const std::vector<std::string>& arguments) {
  std::string line = "x";
  for (const std::string& argument : arguments) line += " \"" + argument + "\"";
  return line;
}

}  // namespace
}  // namespace sanivo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  // The process's command line is a zero-terminated string.
  std::string line(reinterpret_cast<const char*>(data), size);
  line.resize(line.find('\0') == std::string::npos ? line.size() : line.find('\0'));
  // The splitter steps through characters of the ANSI code page, which the machine knows.
  sim::Machine machine;

  const std::vector<std::string> arguments = CommandLineArguments(line);
  for (const std::string& argument : arguments) {
    FUZZ_CHECK(!argument.empty() && argument.find('"') == std::string::npos);
  }
  FUZZ_CHECK(CommandLineArguments("x" + CommandLineTail(line)) == arguments);
  FUZZ_CHECK(CommandLineArguments(QuotedAgain(arguments)) == arguments);
  CheckParameters(TParamParser(line), arguments);
  return 0;
}
