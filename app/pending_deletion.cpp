#include "app/pending_deletion.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "app/registry_lookup.h"
#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/files.h"
#include "sysenv/registry.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

// The list names each file by its full path behind this prefix; a target that may replace an
// existing file is marked with "!" before it.
constexpr std::string_view kNtPathPrefix = "\\??\\";

struct TPendingMove {
  std::string Source;
  std::string Target;  // empty: the source is deleted
};

// Pairs of strings, each ending in a zero, the list ending in one more.
std::vector<TPendingMove> ParseMoves(std::string_view data) {
  std::vector<TPendingMove> moves;
  std::size_t at = 0;
  const auto next = [&] {
    const std::size_t end = std::min(data.find('\0', at), data.size());
    std::string text(data.substr(at, end - at));
    at = end + 1;
    return text;
  };
  while (at < data.size()) {
    std::string source = next();
    if (source.empty()) break;
    moves.push_back({std::move(source), at < data.size() ? next() : std::string()});
  }
  return moves;
}

std::string FormatMoves(const std::vector<TPendingMove>& moves) {
  std::string data;
  for (const TPendingMove& move : moves) data += move.Source + '\0' + move.Target + '\0';
  return data + '\0';
}

bool IsDeletionOf(const TPendingMove& move, const std::string& fullPath) {
  return move.Target.empty() && move.Source.starts_with(kNtPathPrefix) &&
         EqualsIgnoringCase(move.Source.substr(kNtPathPrefix.size()), fullPath);
}

// No path holds "?", so one behind the prefix is a character that the ANSI code page lacks:
// written back, the entry would name another file.
bool ReadsFaithfully(const std::string& name) {
  const std::size_t from = name.find(kNtPathPrefix);
  return name.find('?', from == std::string::npos ? 0 : from + kNtPathPrefix.size()) ==
         std::string::npos;
}

// The system's list as stored, or none when there is none.
std::optional<TRegistry::TRawValue> PendingMoves(TRegistry& registry, TKeyAccess access) {
  const bool opened = access == TKeyAccess::Read ? registry.OpenKeyReadOnly(os::kSessionManagerKey)
                                                 : registry.OpenKey(os::kSessionManagerKey, false);
  if (!opened) {
    if (os::GetLastError() == os::kErrorFileNotFound) return std::nullopt;
    throw ERegistryException("Failed to open the session manager's key");
  }
  std::optional<TRegistry::TRawValue> moves = registry.ReadRaw(os::kPendingFileRenameOperations);
  if (moves && moves->Type != os::kRegMultiSz) return std::nullopt;
  return moves;
}

}  // namespace

bool IsDeletionPending(const std::string& path) {
  TRegistry registry(os::kHkeyLocalMachine);
  const std::optional<TRegistry::TRawValue> moves = PendingMoves(registry, TKeyAccess::Read);
  if (!moves) return false;
  const std::string fullPath = ExpandFileName(path);
  const std::vector<TPendingMove> parsed = ParseMoves(moves->Data);
  return std::any_of(parsed.begin(), parsed.end(),
                     [&](const TPendingMove& move) { return IsDeletionOf(move, fullPath); });
}

bool ScheduleDeletion(const std::string& path) {
  return os::MoveFileExA(path, {}, os::kMoveFileDelayUntilReboot);
}

void CancelPendingDeletion(const std::string& path) {
  TRegistry registry(os::kHkeyLocalMachine);
  std::optional<TRegistry::TRawValue> moves = PendingMoves(registry, TKeyAccess::Write);
  if (!moves) return;
  const std::string fullPath = ExpandFileName(path);
  std::vector<TPendingMove> kept = ParseMoves(moves->Data);
  const auto cancelled = std::remove_if(kept.begin(), kept.end(), [&](const TPendingMove& move) {
    return IsDeletionOf(move, fullPath);
  });
  if (cancelled == kept.end()) return;
  kept.erase(cancelled, kept.end());
  for (const TPendingMove& move : kept) {
    if (!ReadsFaithfully(move.Source) || !ReadsFaithfully(move.Target)) {
      throw ERegistryException("Another pending move cannot be written back unchanged");
    }
  }
  if (kept.empty()) {
    registry.DeleteValue(os::kPendingFileRenameOperations);
  } else {
    moves->Data = FormatMoves(kept);
    registry.WriteRaw(os::kPendingFileRenameOperations, *moves);
  }
}

}  // namespace sanivo
