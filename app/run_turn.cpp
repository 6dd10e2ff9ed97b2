#include "app/run_turn.h"

#include <string>

#include "app/screen.h"
#include "app/texts.h"

namespace sanivo {

namespace {

constexpr std::int16_t kWaitingX = 10, kWaitingY = 20;
// A mutex made by a run that does not let us open it goes when that run ends.
constexpr std::uint32_t kRetryDeniedMs = 1000;

// The line that says why the run does not go on; blanks over it when the wait is over.
void ShowWaiting(bool waiting) {
  const TColor previous = ConsoleApplication->TextColor;
  ConsoleApplication->SetTextColor(clSilver);
  const std::string_view text = texts::kWaitingForOtherRun;
  WriteTextAt(waiting ? std::string(text) : std::string(text.size(), ' '), kWaitingX, kWaitingY);
  ConsoleApplication->SetTextColor(previous);
}

bool TakesTheTurn(std::uint32_t waitResult) {
  return waitResult == os::kWaitObject0 || waitResult == os::kWaitAbandoned;
}

}  // namespace

TRunTurn::TRunTurn() {
  const std::string name(kRunMutexName);
  bool waiting = false;
  std::uint32_t waited = 0;
  mutex_ = os::CreateMutexForAdministratorsA(name);
  while (mutex_ == 0 && os::GetLastError() == os::kErrorAccessDenied &&
         waited < kRunTurnPatienceMs) {
    if (!waiting) ShowWaiting(waiting = true);
    os::Sleep(kRetryDeniedMs);
    waited += kRetryDeniedMs;
    mutex_ = os::CreateMutexForAdministratorsA(name);
  }
  if (mutex_ != 0) {
    taken_ = TakesTheTurn(os::WaitForSingleObject(mutex_, 0));
    if (!taken_ && waited < kRunTurnPatienceMs) {
      if (!waiting) ShowWaiting(waiting = true);
      taken_ = TakesTheTurn(os::WaitForSingleObject(mutex_, kRunTurnPatienceMs - waited));
    }
  }
  if (waiting) ShowWaiting(false);
}

TRunTurn::~TRunTurn() {
  if (mutex_ == 0) return;
  if (taken_) os::ReleaseMutex(mutex_);
  os::CloseHandle(mutex_);
}

}  // namespace sanivo
