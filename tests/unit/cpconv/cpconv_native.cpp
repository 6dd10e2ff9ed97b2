// cpconv on Linux: the conversion runs on the simulated machine, which has no iconv library,
// so the built-in engine does every side.
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "tests/sim/machine.h"
#include "tools/cpconv/cpconv.h"

int main(int argc, char** argv) {
  const auto options =
      sanivo::ParseCpconvArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!options) {
    std::cerr << sanivo::kCpconvUsage;
    return sanivo::kCpconvUsageExitCode;
  }
  const std::string input{std::istreambuf_iterator<char>(std::cin),
                          std::istreambuf_iterator<char>()};
  sim::Machine machine;
  sanivo::InitializeCharsetModules();
  const std::string output = sanivo::RunCpconv(*options, input);
  sanivo::FinalizeCharsetModules();
  std::cout << output << std::flush;
  return std::cout ? 0 : 1;
}
