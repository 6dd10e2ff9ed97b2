// An iconv library for the simulated machine: the host's iconv behind the export names of the
// Windows library, so that the conversion runs against a real implementation.
#include <iconv.h>

#include <algorithm>

#include "tests/sim/state.h"

namespace sim {

namespace {

// The one machine's library; its open looks here for the names it must refuse.
std::vector<std::string> RefusedNames;

void* Open(const char* toCode, const char* fromCode) {
  if (std::ranges::find(RefusedNames, toCode) != RefusedNames.end()) {
    return reinterpret_cast<void*>(-1);
  }
  return iconv_open(toCode, fromCode);
}

std::size_t Convert(void* descriptor, const char** input, std::size_t* inputLeft, char** output,
                    std::size_t* outputLeft) {
  return iconv(static_cast<iconv_t>(descriptor), const_cast<char**>(input), inputLeft, output,
               outputLeft);
}

int Close(void* descriptor) { return iconv_close(static_cast<iconv_t>(descriptor)); }

int Control(void*, int, void*) { return -1; }

}  // namespace

void Machine::AddIconvLibrary(const std::string& path, std::vector<std::string> refusedNames) {
  RefusedNames = std::move(refusedNames);
  AddLibrary(path, "libiconv_open", reinterpret_cast<void*>(&Open));
  AddLibrary(path, "libiconv", reinterpret_cast<void*>(&Convert));
  AddLibrary(path, "libiconv_close", reinterpret_cast<void*>(&Close));
  AddLibrary(path, "libiconvctl", reinterpret_cast<void*>(&Control));
}

}  // namespace sim
