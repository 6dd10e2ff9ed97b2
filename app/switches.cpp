#include "app/switches.h"

#include <algorithm>

#include "app/texts.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

void ReadBackup(TRunOptions& options, const TParamParserParam& param) {
  if (!options.BackupParam) options.BackupParam = param.Value();
}
void ReadCheckOnly(TRunOptions& options, const TParamParserParam&) { options.CheckOnly = true; }
void ReadQuiet(TRunOptions& options, const TParamParserParam&) { options.Quiet = true; }
void ReadLogPath(TRunOptions& options, const TParamParserParam& param) {
  if (!options.LogPath) options.LogPath = param.Value();
}
void ReadTakeBack(TRunOptions& options, const TParamParserParam& param) {
  if (!options.TakeBack) options.TakeBack = param.Value();
}
void ReadHelp(TRunOptions& options, const TParamParserParam&) { options.Help = true; }

bool Matches(const TSwitch& row, const TParamParserParam& param) {
  if (row.Name.starts_with('/')) {
    return param.Name().empty() && EqualsIgnoringCase(param.Value(), row.Name);
  }
  return !param.Name().empty() && EqualsIgnoringCase(param.Name(), row.Name);
}

}  // namespace

std::span<const TSwitch> Switches() {
  static const TSwitch kSwitches[] = {
      {"zaloha", ReadBackup, texts::kHelpBackupUsage, texts::kHelpBackup,
       texts::kHelpBackupExample},
      {"kontrola", ReadCheckOnly, texts::kHelpCheckUsage, texts::kHelpCheck,
       texts::kHelpCheckExample},
      {"tise", ReadQuiet, texts::kHelpQuietUsage, texts::kHelpQuiet, texts::kHelpQuietExample},
      {"protokol", ReadLogPath, texts::kHelpLogUsage, texts::kHelpLog, texts::kHelpLogExample},
      {"vratit", ReadTakeBack, texts::kHelpTakeBackUsage, texts::kHelpTakeBack,
       texts::kHelpTakeBackExample},
      {"/?", ReadHelp, texts::kHelpHelpUsage, texts::kHelpHelp, texts::kHelpHelpExample},
      {"?", ReadHelp, {}, {}, {}},
      {"h", ReadHelp, {}, {}, {}},
      {"help", ReadHelp, {}, {}, {}},
      {"-help", ReadHelp, {}, {}, {}},
  };
  return kSwitches;
}

TRunOptions ReadRunOptions(const TParamParser& parser) {
  TRunOptions options;
  const std::span<const TSwitch> switches = Switches();
  for (const TParamParserParam& param : parser.Params()) {
    const auto row = std::find_if(switches.begin(), switches.end(),
                                  [&param](const TSwitch& s) { return Matches(s, param); });
    if (row == switches.end()) {
      options.UnusedArguments.push_back(param.Argument());
    } else {
      row->Read(options, param);
    }
  }
  return options;
}

}  // namespace sanivo
