// The C++ runtime's default terminate handler prints the type of an uncaught exception, and
// with it comes the runtime's whole demangler (some 45 KiB of each program). The programs catch
// what they throw at the top, so terminate means a broken program: it ends at once instead.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
