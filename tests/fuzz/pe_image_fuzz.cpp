// IMAGECFG on any file: reading the mask never crashes, and "-a 0x1" either refuses and leaves
// the file as it was, or changes nothing but the affinity-mask field of the load-configuration
// directory and the checksum field. Where those fields lie is read from the headers here, by
// this target itself, and the mask field must not lie on the headers.
//
// A section whose raw-data pointer maps the directory onto the headers breaks this on today's
// PE reader; corpus/pe_image/load_config_on_headers is such an image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/sim/machine.h"
#include "tools/imagecfg/imagecfg.h"

namespace sanivo {
namespace {

constexpr std::uint64_t kMask = 1;

std::optional<std::uint64_t> ReadLe(const std::string& bytes, std::uint64_t at, unsigned width) {
  if (at + width > bytes.size()) return std::nullopt;
  std::uint64_t value = 0;
  for (unsigned i = width; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

struct Span {
  std::uint64_t start = 0;
  std::uint64_t size = 0;
  bool Holds(std::uint64_t at) const { return at >= start && at - start < size; }
  bool Overlaps(const Span& other) const {
    return start < other.start + other.size && other.start < start + size;
  }
};

// Where the fields lie by the PE format: the checksum of the optional header, and the mask
// field of the load-configuration directory at each place a section's file data maps its
// address to (a malformed image may offer several).
struct Fields {
  Span checksum;
  std::vector<Span> masks;
  std::vector<Span> headers;  // the DOS header; the NT headers with the section table
};

std::optional<Fields> FindFields(const std::string& image) {
  const auto nt = ReadLe(image, 0x3C, 4);
  if (!nt) return std::nullopt;
  const std::uint64_t fileHeader = *nt + 4;
  const auto sections = ReadLe(image, fileHeader + 2, 2);
  const auto optionalSize = ReadLe(image, fileHeader + 16, 2);
  const std::uint64_t optional = fileHeader + 20;
  const auto magic = ReadLe(image, optional, 2);
  if (!sections || !optionalSize || !magic) return std::nullopt;
  const bool pe32 = *magic == 0x10B;
  const unsigned maskWidth = pe32 ? 4 : 8;
  const auto rva = ReadLe(image, optional + (pe32 ? 96 : 112) + 10 * 8, 4);
  if (!rva) return std::nullopt;

  Fields fields;
  fields.checksum = {optional + 64, 4};
  const std::uint64_t sectionTable = optional + *optionalSize;
  fields.headers = {{0, 0x40}, {*nt, sectionTable + *sections * 40 - *nt}};
  for (std::uint64_t header = sectionTable; header < sectionTable + *sections * 40; header += 40) {
    const auto virtualSize = ReadLe(image, header + 8, 4);
    const auto virtualAddress = ReadLe(image, header + 12, 4);
    const auto rawSize = ReadLe(image, header + 16, 4);
    const auto rawPointer = ReadLe(image, header + 20, 4);
    if (!virtualSize || !virtualAddress || !rawSize || !rawPointer) return std::nullopt;
    if (*rva >= *virtualAddress && *rva - *virtualAddress < std::max(*virtualSize, *rawSize)) {
      const std::uint64_t directory = *rawPointer + (*rva - *virtualAddress);
      fields.masks.push_back({directory + (pe32 ? 48 : 64), maskWidth});
    }
  }
  return fields;
}

void CheckEdit(const std::string& input, const std::string& output) {
  FUZZ_CHECK(output.size() == input.size());
  const std::optional<Fields> fields = FindFields(input);
  FUZZ_CHECK(fields.has_value());
  // The mask went into one of the places the directory may be, off the headers, and no other
  // byte than those of that field and the checksum changed.
  bool oneFieldHoldsTheEdit = false;
  for (const Span& mask : fields->masks) {
    bool onHeaders = false;
    for (const Span& header : fields->headers) onHeaders = onHeaders || mask.Overlaps(header);
    bool onlyThisFieldChanged = ReadLe(output, mask.start, mask.size) == kMask;
    for (std::uint64_t at = 0; at < input.size() && onlyThisFieldChanged; ++at) {
      onlyThisFieldChanged =
          input[at] == output[at] || mask.Holds(at) || fields->checksum.Holds(at);
    }
    oneFieldHoldsTheEdit = oneFieldHoldsTheEdit || (!onHeaders && onlyThisFieldChanged);
  }
  FUZZ_CHECK(oneFieldHoldsTheEdit);
}

}  // namespace
}  // namespace sanivo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sanivo;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string path = "C:\\WINDOWS\\system32\\NTVDM.EXE";
  sim::Machine machine;
  machine.AddFile(path, input);

  RunImagecfg({path});
  FUZZ_CHECK(machine.FileBytes(path) == input);
  if (RunImagecfg({"-a", "0x1", path}) == 0) {
    CheckEdit(input, machine.FileBytes(path));
  } else {
    FUZZ_CHECK(machine.FileBytes(path) == input);
  }
  return 0;
}
