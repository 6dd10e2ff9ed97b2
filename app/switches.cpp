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
void ReadUserTakeBack(TRunOptions& options, const TParamParserParam& param) {
  if (!param.Value().empty()) {
    options.UnusedArguments.push_back(param.Argument());
  } else if (!options.TakeBack) {
    options.TakeBack = std::string();
  }
}
void ReadHelp(TRunOptions& options, const TParamParserParam&) { options.Help = true; }

constexpr std::string_view kHelpOtherNames[] = {"?", "h", "help", "-help"};

bool IsNamed(std::string_view name, const TParamParserParam& param) {
  if (name.starts_with('/')) {
    return param.Name().empty() && EqualsIgnoringCase(param.Value(), name);
  }
  return !param.Name().empty() && EqualsIgnoringCase(param.Name(), name);
}

bool Matches(const TSwitch& row, const TParamParserParam& param) {
  return IsNamed(row.Name, param) ||
         std::any_of(row.OtherNames.begin(), row.OtherNames.end(),
                     [&param](std::string_view name) { return IsNamed(name, param); });
}

}  // namespace

const TSwitchTable& ProgramSwitches() {
  static const TSwitch kRows[] = {
      {"zaloha", ReadBackup, texts::kHelpBackupUsage, texts::kHelpBackup,
       texts::kHelpBackupExample},
      {"kontrola", ReadCheckOnly, texts::kHelpCheckUsage, texts::kHelpCheck,
       texts::kHelpCheckExample},
      {"tise", ReadQuiet, texts::kHelpQuietUsage, texts::kHelpQuiet, texts::kHelpQuietExample},
      {"protokol", ReadLogPath, texts::kHelpLogUsage, texts::kHelpLog, texts::kHelpLogExample},
      {"vratit", ReadTakeBack, texts::kHelpTakeBackUsage, texts::kHelpTakeBack,
       texts::kHelpTakeBackExample},
      {"/?", ReadHelp, texts::kHelpHelpUsage, texts::kHelpHelp, texts::kHelpHelpExample,
       kHelpOtherNames},
  };
  static const TSwitchTable kTable = {texts::kHelpHeading, kRows};
  return kTable;
}

const TSwitchTable& UserProgramSwitches() {
  static const TSwitch kRows[] = {
      {"kontrola", ReadCheckOnly, texts::kHelpCheckUsage, texts::kHelpCheck,
       texts::kUserHelpCheckExample},
      {"tise", ReadQuiet, texts::kHelpQuietUsage, texts::kHelpQuiet, texts::kUserHelpQuietExample},
      {"protokol", ReadLogPath, texts::kHelpLogUsage, texts::kHelpLog, texts::kUserHelpLogExample},
      {"vratit", ReadUserTakeBack, texts::kUserHelpTakeBackUsage, texts::kUserHelpTakeBack,
       texts::kUserHelpTakeBackExample},
      {"/?", ReadHelp, texts::kHelpHelpUsage, texts::kHelpHelp, texts::kUserHelpHelpExample,
       kHelpOtherNames},
  };
  static const TSwitchTable kTable = {texts::kUserHelpHeading, kRows};
  return kTable;
}

TRunOptions ReadRunOptions(const TParamParser& parser, const TSwitchTable& table) {
  TRunOptions options;
  const std::span<const TSwitch> switches = table.Rows;
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
