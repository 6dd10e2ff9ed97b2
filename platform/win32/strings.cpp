// Locale-aware string services of the user's default locale and the ANSI code page.
#include "platform/win32/native.h"

namespace os {

int CompareStringA(std::uint32_t flags, std::string_view first, std::string_view second) {
  return ::CompareStringA(LOCALE_USER_DEFAULT, flags, first.data(), static_cast<int>(first.size()),
                          second.data(), static_cast<int>(second.size()));
}

std::string CharUpperBuffA(std::string text) {
  ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

std::size_t CharNextA(std::string_view text, std::size_t position) {
  if (position >= text.size()) return text.size();
  // The call needs a terminated string; a copy gives it one.
  const std::string terminated(text);
  const char* start = terminated.c_str();
  const std::size_t next = static_cast<std::size_t>(::CharNextA(start + position) - start);
  return next < text.size() ? next : text.size();
}

}  // namespace os
