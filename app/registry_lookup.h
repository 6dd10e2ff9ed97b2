// How the font repair's check and its way back look into the registry: a key that is not there
// holds nothing of ours, and a value holds our text only as a string.
#pragma once

#include <string>
#include <string_view>

#include "platform/os.h"
#include "sysenv/registry.h"

namespace sanivo {

// A look that only reads opens for reading: a check changes nothing, and may not ask to.
enum class TKeyAccess { Read, Write };

// Opens the key; false when it is not there. A key that is there but refused fails the step.
bool OpenedIfThere(TRegistry& registry, os::HKey root, const std::string& key, TKeyAccess access);

// Whether the value is a string (REG_SZ or REG_EXPAND_SZ) that reads `text`; a value of another
// type names nothing.
bool HoldsText(const TRegistry& registry, const std::string& name, std::string_view text);

}  // namespace sanivo
