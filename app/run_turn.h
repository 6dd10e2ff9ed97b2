// Runs of the program on one machine take turns: a start-up script and an administrator, or two
// scripts, must not repair the same system files at once.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/os.h"

namespace sanivo {

// The mutex that every run, a check too, holds while it runs.
inline constexpr std::string_view kRunMutexName = "Global\\MOREK-Sanivo";
// How long a run waits for the one before it.
inline constexpr std::uint32_t kRunTurnPatienceMs = 120000;

// Waits for this run's turn, up to kRunTurnPatienceMs, with a line on the page while it waits.
// A run that was killed leaves its turn free. Released when the object goes.
class TRunTurn {
 public:
  TRunTurn();
  ~TRunTurn();
  TRunTurn(const TRunTurn&) = delete;
  TRunTurn& operator=(const TRunTurn&) = delete;

  // False when another run still held the turn after the wait, or the turn could not be had.
  bool Taken() const { return taken_; }

 private:
  os::Handle mutex_ = 0;
  bool taken_ = false;
};

}  // namespace sanivo
