// The arguments that the program would pass over without a word: a mistyped switch, or a
// Windows habit such as /zaloha:C:\zal\, would otherwise leave a requested backup undone.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "cmdline/param_parser.h"

namespace sanivo {

// The arguments, as written, whose parameter is positional or has a name that is none of
// `usedNames` (compared without regard to case, as the program's parser compares names), in
// command-line order. `arguments` are the ones the parser was given (CommandLineArguments).
std::vector<std::string> UnusedArguments(const TParamParser& parser,
                                         const std::vector<std::string>& arguments,
                                         std::initializer_list<std::string_view> usedNames);

}  // namespace sanivo
