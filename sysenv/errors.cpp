#include "sysenv/errors.h"

#include "platform/os.h"

namespace sanivo {

std::string SystemErrorText(std::uint32_t code) {
  std::string text;
  os::FormatMessageA(code, 256, text);
  while (!text.empty()) {
    const unsigned char last = static_cast<unsigned char>(text.back());
    if (last > ' ' && last != '.') break;
    text.pop_back();
  }
  return text;
}

void RaiseLastOSError() { throw Exception(SystemErrorText(os::GetLastError())); }

}  // namespace sanivo
