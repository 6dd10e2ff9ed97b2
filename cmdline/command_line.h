// Splitting the process command line into the program name and its arguments.
//
// The rule is the program's own on every platform: blanks and control characters separate
// arguments, a double quote opens a stretch that runs to the next one (or to the end) and in
// which blanks belong to the argument, the quotes themselves are dropped, and there is no
// escape character, so a backslash before a quote stays a backslash. The line is stepped
// through whole characters of the ANSI code page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sanivo {

// The arguments after the program name, in order. The list ends at the first argument that
// comes out empty (only a lone double quote at the very end of the line does).
std::vector<std::string> CommandLineArguments(std::string_view commandLine);

// Everything after the program name, unchanged: it begins with the character that ended the
// name and keeps every quote; empty without arguments.
std::string CommandLineTail(std::string_view commandLine);

// The tail of the process's own command line. Documented beside the splitter; no caller yet.
std::string GetCommandLineTail();

}  // namespace sanivo
