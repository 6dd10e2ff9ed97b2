// GUISEND: lets a batch file mirror a line to the GUI console.
//   GUISEND [-style:N] [-color:0xBBGGRR] TEXT    GUISEND -info TEXT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "console/gui_console.h"

namespace sanivo {

inline constexpr char kGuisendUsage[] =
    "usage: GUISEND [-style:N] [-color:0xBBGGRR] TEXT\n"
    "       GUISEND -info TEXT\n"
    "  N: the font-style byte, 0-255 (1 bold, 2 italic, 4 underline, 8 strike-out)\n";
inline constexpr int kGuisendUsageExitCode = 2;

struct TGuisendRequest {
  bool info = false;
  TFontStyles style;
  TColor color = 0;
  std::string text;  // absent: the empty text
};

// None when the arguments are not what the usage line says.
std::optional<TGuisendRequest> ParseGuisendArguments(const std::vector<std::string>& arguments);
void SendGuisendRequest(const TGuisendRequest& request);

}  // namespace sanivo
