// What the affinity repair puts in place on Windows XP. The repair writes it; a check reads it.
#pragma once

#include <cstdint>

namespace sanivo::ntvdm {

// The processor-affinity mask of a pinned NTVDM.EXE: the first processor only.
inline constexpr std::uint64_t kFirstProcessor = 1;

}  // namespace sanivo::ntvdm
