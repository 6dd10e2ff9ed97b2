// The error raised for a file that is not a PE image, or one whose headers do not hold what
// was asked of them.
#pragma once

#include <string>
#include <utility>

#include "base/exception.h"

namespace sanivo {

class EPeImageError : public Exception {
 public:
  [[gnu::always_inline]] explicit EPeImageError(std::string message)
      : Exception(std::move(message)) {}
  const char* ClassName() const override { return "EPeImageError"; }
};

}  // namespace sanivo
