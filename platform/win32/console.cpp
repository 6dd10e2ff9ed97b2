// Console screen-buffer calls.
#include <algorithm>
#include <vector>

#include "platform/win32/native.h"

namespace os {

using win32::ToNative;

namespace {

COORD ToNativeCoord(Coord position) { return COORD{position.X, position.Y}; }

}  // namespace

Handle GetStdHandle(std::int32_t which) {
  return win32::FromNative(::GetStdHandle(static_cast<DWORD>(which)));
}

Coord GetLargestConsoleWindowSize(Handle output) {
  const COORD size = ::GetLargestConsoleWindowSize(ToNative(output));
  return Coord{size.X, size.Y};
}

bool FillConsoleOutputCharacterA(Handle output, char character, std::uint32_t length, Coord first,
                                 std::uint32_t* written) {
  DWORD count = 0;  // the real call needs somewhere to put it
  const BOOL ok = ::FillConsoleOutputCharacterA(ToNative(output), character, length,
                                                ToNativeCoord(first), &count);
  if (written != nullptr) *written = count;
  return ok != FALSE;
}

bool FillConsoleOutputAttribute(Handle output, std::uint16_t attribute, std::uint32_t length,
                                Coord first, std::uint32_t* written) {
  DWORD count = 0;
  const BOOL ok = ::FillConsoleOutputAttribute(ToNative(output), attribute, length,
                                               ToNativeCoord(first), &count);
  if (written != nullptr) *written = count;
  return ok != FALSE;
}

bool SetConsoleTextAttribute(Handle output, std::uint16_t attribute) {
  return ::SetConsoleTextAttribute(ToNative(output), attribute) != FALSE;
}

bool SetConsoleCursorPosition(Handle output, Coord position) {
  return ::SetConsoleCursorPosition(ToNative(output), ToNativeCoord(position)) != FALSE;
}

bool SetConsoleTitleA(const std::string& title) {
  return ::SetConsoleTitleA(title.c_str()) != FALSE;
}

std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) {
  std::vector<DWORD> ids(count > 0 ? count : 1);  // DWORD is not std::uint32_t to MinGW
  const DWORD found = ::GetConsoleProcessList(processIds ? ids.data() : nullptr, count);
  const win32::LastErrorKept keep;
  if (found <= count) std::copy_n(ids.begin(), found, processIds);
  return found;
}

}  // namespace os
