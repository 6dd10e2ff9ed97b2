#include "cmdline/command_line.h"

#include <utility>

#include "platform/os.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

constexpr char kQuote = '"';

bool IsSeparator(char character) {
  const auto code = static_cast<unsigned char>(character);
  return code >= 1 && code <= ' ';
}

// Steps over blanks, control characters and empty quote pairs standing where an argument
// would begin.
std::size_t SkipToArgument(std::string_view line, std::size_t at) {
  while (true) {
    while (at < line.size() && IsSeparator(line[at])) ++at;
    if (line.substr(at, 2) != "\"\"") return at;
    at += 2;
  }
}

struct TArgument {
  std::string text;
  std::size_t end = 0;  // where the scan stopped: the separator after it, or the line's end
};

// Reads the argument that begins at `at` (after SkipToArgument).
TArgument ReadArgument(std::string_view line, std::size_t at) {
  TArgument argument;
  const auto appendCharacter = [&] {
    const std::size_t next = NextCharacter(line, at);
    argument.text.append(line.substr(at, next - at));
    at = next;
  };
  while (at < line.size() && !IsSeparator(line[at])) {
    if (line[at] != kQuote) {
      appendCharacter();
      continue;
    }
    ++at;
    while (at < line.size() && line[at] != kQuote) appendCharacter();
    if (at < line.size() && line[at] == kQuote) ++at;
  }
  argument.end = at;
  return argument;
}

}  // namespace

std::vector<std::string> CommandLineArguments(std::string_view commandLine) {
  std::vector<std::string> arguments;
  std::size_t at = ReadArgument(commandLine, SkipToArgument(commandLine, 0)).end;
  while (true) {
    TArgument argument = ReadArgument(commandLine, SkipToArgument(commandLine, at));
    if (argument.text.empty()) break;
    arguments.push_back(std::move(argument.text));
    at = argument.end;
  }
  return arguments;
}

std::string CommandLineTail(std::string_view commandLine) {
  const std::size_t nameEnd = ReadArgument(commandLine, SkipToArgument(commandLine, 0)).end;
  return std::string(commandLine.substr(nameEnd));
}

std::string GetCommandLineTail() { return CommandLineTail(os::GetCommandLineA()); }

}  // namespace sanivo
