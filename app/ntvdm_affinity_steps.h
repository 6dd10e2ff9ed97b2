// Steps of the affinity repair that taking it back makes the same way.
#pragma once

#include <string>

#include "app/repair_outcome.h"
#include "pe/pe_image.h"

namespace sanivo {

// The copy of NTVDM.EXE in the work directory that the image-configuration tool edits.
std::string NtvdmWorkCopy(const TRepairContext& context);

// Whether a program holds the live file, asked by opening it for writing: a check that finds
// nothing to do leaves it to the caller, so that the file gets no write open then.
enum class TInUse { AskNow, AskLater };
void RunNotInUseStage(const std::string& live);

// The live image, after the checks the repair makes before it changes anything, in its order
// and with its texts: the file is there, not in use and a sound image.
TPeImage CheckedLiveImage(const std::string& live, TInUse inUse = TInUse::AskNow);

// When the backup parameter asks for one, keeps `image` (the live file as it is now) where it
// says and records it in `backup`; warns in yellow and records the warning when it cannot.
void BackUpWhenAsked(const TRepairContext& context, const std::string& image,
                     TRepairOutcome& backup);

// The outcome of stages that recorded a backup: with its file and warning, and `done` with a
// warning becomes RepairedWithWarning.
TRepairOutcome WithBackup(TRepairOutcome outcome, const TRepairOutcome& backup, TRepairResult done);

}  // namespace sanivo
