// Literals that must not compile; the build's tests compile each case alone and expect the
// diagnostic that names the fault.
#include "charset/windows1250_literal.h"

using sanivo::operator""_cp1250;

#if defined(CYRILLIC)
constexpr auto kText = "Жук"_cp1250;
#elif defined(REPLACEMENT_CHARACTER)  // stands for the undefined bytes in the table
constexpr auto kText = "a\uFFFD"_cp1250;
#elif defined(CUT_SHORT)
constexpr auto kText = "a\xC4"_cp1250;
#elif defined(STRAY_CONTINUATION)
constexpr auto kText = "a\x8A"_cp1250;
#endif
