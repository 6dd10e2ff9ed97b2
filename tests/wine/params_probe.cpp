// Prints what the command-line parser recorded for this process, one line each, so that a
// Wine check can compare it with the command line it started the probe with:
//   tail=[<CommandLine>]
//   param index=<Index> name=[<Name>] value=[<Value>] values=[<piece>][<piece>]...
//   zaloha=<present: 1 or 0> [<GetParamValue("zaloha")>]
//   positional=<Index of FindParam(""), or none>
// Arguments cannot contain double quotes, so the brackets are unambiguous enough for a test.
#include <cstdio>
#include <string>

#include "cmdline/param_parser.h"

namespace {

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Bracketed(const std::string& text) { return "[" + text + "]"; }

}  // namespace

int main() {
  using namespace sanivo;
  InitializeParamParser();
  PrintLine("tail=" + Bracketed(ParamParser->CommandLine()));
  for (const TParamParserParam& param : ParamParser->Params()) {
    std::string values;
    for (const std::string& piece : param.Values()) values += Bracketed(piece);
    PrintLine("param index=" + std::to_string(param.Index()) + " name=" + Bracketed(param.Name()) +
              " value=" + Bracketed(param.Value()) + " values=" + values);
  }
  PrintLine(std::string("zaloha=") + (ParamParser->HasParam("zaloha") ? "1 " : "0 ") +
            Bracketed(ParamParser->GetParamValue("zaloha")));
  const TParamParserParam* positional = ParamParser->FindParam("");
  PrintLine("positional=" + (positional ? std::to_string(positional->Index()) : "none"));
  FinalizeParamParser();
  std::fflush(stdout);
  return 0;
}
