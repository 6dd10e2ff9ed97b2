// The repairs group their steps into stages. A step that fails raises EStepFailed with the call
// that failed; the stage turns any of our errors into its one fixed message, and the repair ends
// there with that outcome. Errors that are not ours (out of memory) pass on to the top level.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "app/repair_outcome.h"
#include "base/exception.h"

namespace sanivo {

// A step of a repair failed: the call that failed and the system's error code.
class EStepFailed : public Exception {
 public:
  [[gnu::always_inline]] EStepFailed(std::string call, std::uint32_t errorCode)
      : Exception(call + " failed"), call_(std::move(call)), errorCode_(errorCode) {}
  const char* ClassName() const override { return "EStepFailed"; }
  const std::string& Call() const { return call_; }
  std::uint32_t ErrorCode() const { return errorCode_; }

 private:
  std::string call_;
  std::uint32_t errorCode_;
};

// Raises EStepFailed for `call` with the calling thread's last error.
[[noreturn]] void FailStep(std::string call);

// A stage failed; carries the outcome the repair ends with.
class EStageFailed : public Exception {
 public:
  [[gnu::always_inline]] explicit EStageFailed(TRepairOutcome outcome)
      : Exception(outcome.FailedCall), outcome_(std::move(outcome)) {}
  const char* ClassName() const override { return "EStageFailed"; }
  const TRepairOutcome& Outcome() const { return outcome_; }

 private:
  TRepairOutcome outcome_;
};

// The failure outcome of a stage: its message, the path to show below it, and what failed.
TRepairOutcome StageFailure(std::string_view failureText, std::string_view detail,
                            const Exception& cause);

// Raises EStageFailed with StageFailure's outcome; one place for every stage, which keeps the
// program small.
[[noreturn]] void FailStage(std::string_view failureText, std::string_view detail,
                            const Exception& cause);

// A check that could not decide: the same message and cause, the result Undecided.
TRepairOutcome CheckFailure(std::string_view failureText, const Exception& cause);

// Runs one stage; any of our errors in it ends the repair with the stage's message.
template <typename Steps>
void RunStage(std::string_view failureText, Steps steps, std::string_view detail = {}) {
  try {
    steps();
  } catch (const Exception& cause) {
    FailStage(failureText, detail, cause);
  }
}

// Runs a repair's stages and returns what happened: their result, or the failed stage's.
template <typename Stages>
TRepairOutcome RunStages(Stages stages) {
  try {
    return stages();
  } catch (const EStageFailed& failure) {
    return failure.Outcome();
  }
}

}  // namespace sanivo
