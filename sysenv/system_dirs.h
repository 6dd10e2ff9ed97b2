// The temporary, Windows and system directories, and string values named by a registry path.
#pragma once

#include <string>

#include "platform/os.h"

namespace sanivo {

// The root key named by the path's text before its first "\" (exact, case-sensitive match;
// anything else is HKEY_CURRENT_USER). Changes its argument: cuts the text before the first
// "\" off `path`, keeping the backslash, whether or not it named a root.
os::HKey RootKeyFromName(std::string& path);

// Reads the string value at "ROOT\key\...\value name". A path ending in "\" names the key's
// default value. Raises Exception or ERegistryException on failure.
std::string ReadRegistryPath(const std::string& path);

// "TEMP" (with its trailing backslash), "WINDOWS" and "SYSTEM" name the system's directories
// (empty when the system cannot tell); any other name is read as a registry path.
std::string GetSpecialDir(const std::string& name);

}  // namespace sanivo
