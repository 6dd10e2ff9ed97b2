// The promise of an affinity edit: the image differs from its input only in the mask field and
// the checksum. Free of GoogleTest, so that any test or fuzz target can check it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace sanivo::test {

// The file offsets at which `after` differs from `before` outside the affinity-mask field and
// the checksum field of `before` (a change of length counts from the shorter length on). Raises
// EPeImageError when `before` is not an image whose mask can be read.
std::vector<std::size_t> ChangesOutsideEdit(const std::string& before, const std::string& after);

}  // namespace sanivo::test
