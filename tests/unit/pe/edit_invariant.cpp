#include "tests/unit/pe/edit_invariant.h"

#include <algorithm>

#include "pe/pe_image.h"

namespace sanivo::test {

std::vector<std::size_t> ChangesOutsideEdit(const std::string& before, const std::string& after) {
  const TPeImage image(before);
  const std::uint64_t mask = image.AffinityMaskOffset();
  const std::uint64_t maskEnd = mask + image.AffinityMaskBits() / 8;
  const std::uint64_t checksum = image.ChecksumOffset();
  const auto edited = [&](std::size_t at) {
    return (at >= mask && at < maskEnd) || (at >= checksum && at < checksum + 4);
  };
  std::vector<std::size_t> changes;
  const std::size_t common = std::min(before.size(), after.size());
  for (std::size_t at = 0; at < common; ++at) {
    if (before[at] != after[at] && !edited(at)) changes.push_back(at);
  }
  for (std::size_t at = common; at < std::max(before.size(), after.size()); ++at) {
    changes.push_back(at);
  }
  return changes;
}

}  // namespace sanivo::test
