#include "base/exception.h"

#include <utility>

namespace sanivo {

Exception::Exception(std::string message)
    : message_(std::move(message)),
      raiseAddress_(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0))) {}

}  // namespace sanivo
