// The error raised for a file that is not a PE image, or one whose headers do not hold what
// was asked of them.
#pragma once

#include <stdexcept>

namespace sanivo {

class EPeImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace sanivo
