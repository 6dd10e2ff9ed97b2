// Starting programs, waiting for them, and the process's own command line and window.
#include "platform/win32/native.h"

namespace os {

namespace {

// The shell record takes a null pointer where the seam has an empty string.
const char* NullIfEmpty(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

bool ShellExecuteExA(ShellExecuteInfo& info) {
  SHELLEXECUTEINFOA record{};
  record.cbSize = info.cbSize;
  record.fMask = info.fMask;
  record.hwnd = win32::ToNativeWindow(info.hwnd);
  record.lpVerb = NullIfEmpty(info.verb);
  record.lpFile = NullIfEmpty(info.file);
  record.lpParameters = NullIfEmpty(info.parameters);
  record.lpDirectory = NullIfEmpty(info.directory);
  record.nShow = info.nShow;
  // Not imported: shell32 loads further libraries on demand, and an import would be resolved
  // before the program could restrict where they are looked for.
  static const win32::SystemLibrary shell32("shell32.dll");
  const auto shellExecuteEx = shell32.Entry<decltype(&::ShellExecuteExA)>("ShellExecuteExA");
  if (shellExecuteEx == nullptr) return false;
  const BOOL ok = shellExecuteEx(&record);
  info.hInstApp = reinterpret_cast<std::uintptr_t>(record.hInstApp);
  info.hProcess = win32::FromNative(record.hProcess);
  return ok != FALSE;
}

std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(win32::ToNative(handle), milliseconds);
}

std::uint32_t WinExec(const std::string& commandLine, std::uint32_t show) {
  return ::WinExec(commandLine.c_str(), show);
}

void Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

Hwnd GetActiveWindow() { return reinterpret_cast<Hwnd>(::GetActiveWindow()); }

std::string GetCommandLineA() { return ::GetCommandLineA(); }

}  // namespace os
