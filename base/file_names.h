// Windows file names taken apart as text: directory, name and extension. No system call; a
// name ends at the last "\" or ":" (a drive's colon ends a name too, as in "D:name.ext").
#pragma once

#include <string>

namespace sanivo {

// Everything up to and including the last "\" or ":" (C:\Tools\prog.exe gives C:\Tools\).
std::string ExtractFilePath(const std::string& path);
// Everything after the last "\" or ":".
std::string ExtractFileName(const std::string& path);
// ExtractFileName without its extension (from the last "." of the name on).
std::string FileNameWithoutExt(const std::string& path);
std::string IncludeTrailingBackslash(const std::string& path);
std::string ExcludeTrailingBackslash(const std::string& path);

}  // namespace sanivo
