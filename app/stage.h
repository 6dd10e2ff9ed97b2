// The repairs group their steps into stages: a step that fails raises, and the stage shows
// its one fixed message in red and reports that the repair must stop.
#pragma once

#include <string_view>

#include "app/screen.h"
#include "sysenv/errors.h"

namespace sanivo {

// Leaves the current stage by raising EAbort.
[[noreturn]] inline void RaiseAbort() { throw EAbort(); }

template <typename Steps>
bool RunStage(Steps steps, std::string_view failureMessage) {
  try {
    steps();
    return true;
  } catch (...) {
    ShowStatus(clRed, failureMessage);
    return false;
  }
}

}  // namespace sanivo
