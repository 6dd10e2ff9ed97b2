// Files that the system deletes when it next starts. Windows holds a registered font open from
// logon, so taking the console font back can only schedule its deletion, and a repair run
// before the restart must take that deletion back again.
#pragma once

#include <string>

namespace sanivo {

// Whether the deletion of `path` at the next restart is pending.
bool IsDeletionPending(const std::string& path);

// Schedules the deletion; false with the last error when the system refuses.
bool ScheduleDeletion(const std::string& path);

// Takes every pending deletion of `path` off the system's list and leaves the other entries as
// they are. Raises ERegistryException when the list cannot be read or written, and when
// rewriting it would change another entry (a path that the ANSI code page cannot hold).
void CancelPendingDeletion(const std::string& path);

}  // namespace sanivo
