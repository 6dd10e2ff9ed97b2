// The check of the shipped console font on any bytes: it reads nothing outside them (the
// sanitizers watch), and what it accepts names our face in one of the two record forms.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/font_file.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

std::string Utf16BigEndian(std::string_view ascii) {
  std::string text;
  for (char c : ascii) text += std::string(1, '\0') + c;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (IsOurConsoleFont(bytes)) {
    FUZZ_CHECK(bytes.find(kConsoleFaceName) != std::string_view::npos ||
               bytes.find(Utf16BigEndian(kConsoleFaceName)) != std::string_view::npos);
  }
  return 0;
}
