// Starting a program through the shell and waiting for it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os.h"

namespace sanivo {

// The shell's record for opening `file` with a process handle to wait for, as ExecuteAndWait
// passes it.
os::ShellExecuteInfo ShellOpenRecord(const std::string& file, const std::string& parameters,
                                     const std::string& directory, std::int32_t showCommand);

// Starts `file` through the shell ("open") and waits until it has ended or, with a non-zero
// `timeLimitMs`, until about that many milliseconds have passed; a program that outlives the
// limit is left running. Always returns true; raises Exception with the system's message
// text when the shell cannot start the file.
bool ExecuteAndWait(const std::string& file, const std::string& parameters,
                    const std::string& directory, std::int32_t showCommand,
                    std::uint32_t timeLimitMs);

}  // namespace sanivo
