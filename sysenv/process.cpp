#include "sysenv/process.h"

#include <utility>

#include "platform/os.h"
#include "sysenv/errors.h"
#include "sysenv/strings.h"

namespace sanivo {

namespace {

constexpr std::uint32_t kShellExecuteInfoSize = 60;
constexpr std::uint32_t kWaitSliceMs = 50;

// Waits in slices of kWaitSliceMs, sleeping the same between them. Only the sleeps count
// against the limit, so the loop gives up after limit / 50 + 1 sleeps.
void WaitForProcess(os::Handle process, std::uint32_t timeLimitMs) {
  // Wider than the limit, so that a limit near the top of its range cannot wrap it.
  std::uint64_t elapsedMs = 0;
  while (os::WaitForSingleObject(process, kWaitSliceMs) != os::kWaitObject0) {
    if (timeLimitMs != 0 && elapsedMs > timeLimitMs) break;
    os::Sleep(kWaitSliceMs);
    if (timeLimitMs != 0) elapsedMs += kWaitSliceMs;
  }
}

}  // namespace

bool ExecuteAndWait(const std::string& file, const std::string& parameters,
                    const std::string& directory, std::int32_t showCommand,
                    std::uint32_t timeLimitMs) {
  os::ShellExecuteInfo info;
  info.cbSize = kShellExecuteInfoSize;
  info.fMask = os::kSeeMaskNoCloseProcess | os::kSeeMaskFlagDdeWait;
  info.hwnd = os::GetActiveWindow();
  info.verb = "open";
  info.file = file;
  info.parameters = parameters;
  info.directory = directory;
  info.nShow = showCommand;
  if (!os::ShellExecuteExA(info)) RaiseLastOSError();
  // The shell may hand the file to a program that is already running and give back no
  // process: there is nothing to wait for, and waiting on nothing would never end.
  if (info.hProcess == 0) return true;
  WaitForProcess(info.hProcess, timeLimitMs);
  os::CloseHandle(info.hProcess);
  return true;
}

std::string FileNameWithoutExt(const std::string& path) {
  const std::size_t lastSeparator = path.find_last_of("\\:");
  const std::string filePart =
      lastSeparator == std::string::npos ? path : path.substr(lastSeparator + 1);
  return filePart.substr(0, filePart.rfind('.'));
}

bool IsFileLocked(const std::string& path) {
  const os::Handle file = os::CreateFileA(path, os::kGenericRead | os::kGenericWrite, 0,
                                          os::kOpenExisting, os::kFileAttributeNormal);
  if (file == os::kInvalidHandle) return true;
  os::CloseHandle(file);
  return false;
}

int TFileTypeManager::Add(std::string name, std::unique_ptr<TFileType> object) {
  fileTypes_.push_back({std::move(name), std::move(object)});
  return static_cast<int>(fileTypes_.size()) - 1;
}

int TFileTypeManager::IndexOf(const std::string& name) const {
  for (std::size_t index = 0; index < fileTypes_.size(); ++index) {
    if (EqualsIgnoringCase(fileTypes_[index].name, name)) return static_cast<int>(index);
  }
  return -1;
}

void TFileTypeManager::Clear() {
  for (Entry& entry : fileTypes_) entry.object.reset();
  fileTypes_.clear();
}

std::unique_ptr<TFileTypeManager> FileTypeManager;

void InitializeFileTypeManager() { FileTypeManager = std::make_unique<TFileTypeManager>(); }

void FinalizeFileTypeManager() { FileTypeManager.reset(); }

}  // namespace sanivo
