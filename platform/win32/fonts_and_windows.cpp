// GDI font resources and window messages.
#include "platform/win32/native.h"

namespace os {

using win32::ToNativeWindow;

bool CreateScalableFontResourceA(std::uint32_t hidden, const std::string& resourceFile,
                                 const std::string& fontFile, const std::string& currentPath) {
  return ::CreateScalableFontResourceA(hidden, resourceFile.c_str(), fontFile.c_str(),
                                       currentPath.c_str()) != FALSE;
}

int AddFontResourceA(const std::string& path) { return ::AddFontResourceA(path.c_str()); }

bool RemoveFontResourceA(const std::string& path) {
  return ::RemoveFontResourceA(path.c_str()) != FALSE;
}

std::intptr_t SendMessageA(Hwnd window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  return ::SendMessageA(ToNativeWindow(window), message, wParam, lParam);
}

Hwnd FindWindowA(const std::string& className) {
  return reinterpret_cast<Hwnd>(::FindWindowA(className.c_str(), nullptr));
}

bool PostMessageA(Hwnd window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  return ::PostMessageA(ToNativeWindow(window), message, wParam, lParam) != FALSE;
}

}  // namespace os
