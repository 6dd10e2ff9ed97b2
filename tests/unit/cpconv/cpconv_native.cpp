// cpconv on Linux, a test front end: the simulated machine has no iconv library, so the built-in
// engine does every side. Standard input is converted to standard output in pieces, as the
// Windows program does; everything else (help, listing, messages) runs on the simulated machine
// and its output is passed on.
#include <cstdio>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "charset/stream_converter.h"
#include "tests/sim/machine.h"
#include "tools/cpconv/cpconv.h"

namespace {

bool ConvertStandardInput(const sanivo::TCpconvOptions& options) {
  const sanivo::TReplacementMap map = options.map.empty()
                                          ? sanivo::TReplacementMap(sanivo::NoReplacement)
                                          : sanivo::TReplacementMap(options.map);
  sanivo::TStreamConverter converter(options.from, options.to, map, !options.strict);
  std::string piece(sanivo::kCpconvPieceSize, '\0'), converted;
  for (;;) {
    const std::size_t read = std::fread(piece.data(), 1, piece.size(), stdin);
    converted.clear();
    if (read == 0) {
      converter.Finish(converted);
    } else {
      converter.Convert(std::string_view(piece).substr(0, read), converted);
    }
    if (std::fwrite(converted.data(), 1, converted.size(), stdout) != converted.size()) {
      return false;
    }
    if (read == 0) return !std::ferror(stdin) && std::fflush(stdout) == 0;
  }
}

bool ReadsOnlyStandardInput(const sanivo::TCpconvOptions& options) {
  for (const std::string& input : options.inputs) {
    if (input != "-") return false;
  }
  return options.action == sanivo::TCpconvOptions::TAction::convert && options.output.empty();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  sim::Machine machine;
  sanivo::InitializeCharsetModules();
  const sanivo::TCpconvArguments parsed = sanivo::ParseCpconvArguments(arguments);
  int code = 0;
  if (parsed.options && ReadsOnlyStandardInput(*parsed.options)) {
    code = sanivo::CheckCpconvSides(*parsed.options);
    if (code == 0 && !ConvertStandardInput(*parsed.options)) code = 1;
  } else {
    code = sanivo::RunCpconv(arguments);
  }
  sanivo::FinalizeCharsetModules();
  std::fwrite(machine.Stdout().data(), 1, machine.Stdout().size(), stdout);
  std::fwrite(machine.Stderr().data(), 1, machine.Stderr().size(), stderr);
  return code;
}
