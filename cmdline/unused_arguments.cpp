#include "cmdline/unused_arguments.h"

#include <algorithm>

#include "sysenv/strings.h"

namespace sanivo {

std::vector<std::string> UnusedArguments(const TParamParser& parser,
                                         const std::vector<std::string>& arguments,
                                         std::initializer_list<std::string_view> usedNames) {
  std::vector<std::string> unused;
  for (const TParamParserParam& param : parser.Params()) {
    const bool used =
        !param.Name().empty() &&
        std::any_of(usedNames.begin(), usedNames.end(), [&param](std::string_view name) {
          return EqualsIgnoringCase(param.Name(), name);
        });
    const auto index = static_cast<std::size_t>(param.Index());
    if (!used && index < arguments.size()) unused.push_back(arguments[index]);
  }
  return unused;
}

}  // namespace sanivo
