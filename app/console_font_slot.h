// Where the console's list of TrueType faces holds ours. The repair writes there and the check
// looks there, by one rule.
#pragma once

#include <string>

#include "sysenv/registry.h"

namespace sanivo {

// Of the open TrueTypeFont key: the value that names our face, or else the first free one of
// "0", "00", "000", ... A value of another type than a string names no face.
std::string TrueTypeFontSlot(const TRegistry& registry);

}  // namespace sanivo
