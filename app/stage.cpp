#include "app/stage.h"

#include "platform/os.h"

namespace sanivo {

void FailStep(std::string call) { throw EStepFailed(std::move(call), os::GetLastError()); }

TRepairOutcome OutcomeOfFailedCall(TRepairResult result, std::string_view statusText,
                                   std::string call) {
  TRepairOutcome outcome = OutcomeOf(result, statusText);
  outcome.ErrorCode = os::GetLastError();
  outcome.FailedCall = std::move(call);
  return outcome;
}

TRepairOutcome StageFailure(std::string_view failureText, std::string_view detail,
                            const Exception& cause) {
  TRepairOutcome outcome;
  outcome.Result = TRepairResult::Failed;
  outcome.StatusText = failureText;
  outcome.DetailText = detail;
  if (const auto* step = dynamic_cast<const EStepFailed*>(&cause)) {
    outcome.FailedCall = step->Call();
    outcome.ErrorCode = step->ErrorCode();
  } else {
    // Registry and file errors name the operation and the value or file in their message.
    outcome.FailedCall = std::string(cause.ClassName()) + ": " + cause.Message();
  }
  return outcome;
}

void FailStage(std::string_view failureText, std::string_view detail, const Exception& cause) {
  throw EStageFailed(StageFailure(failureText, detail, cause));
}

TRepairOutcome CheckFailure(std::string_view failureText, const Exception& cause) {
  TRepairOutcome outcome = StageFailure(failureText, {}, cause);
  outcome.Result = TRepairResult::Undecided;
  return outcome;
}

}  // namespace sanivo
