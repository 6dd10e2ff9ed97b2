// IMAGECFG, the image-configuration tool: shows or sets the processor-affinity mask in the
// load-configuration directory of a PE image.
//
//   IMAGECFG -a <mask> <file>   sets the mask (hexadecimal with 0x or 0X, or decimal) and
//                               the image checksum, replacing the file only when all is
//                               written; prints nothing when it succeeds
//   IMAGECFG <file>             prints the current mask
//
// All file access and output go through the OS seam.
#pragma once

#include <string>
#include <vector>

namespace sanivo {

// The arguments without the program name. Exit codes: 0 done, 1 the file could not be read,
// changed or written, 2 bad arguments; every failure prints one line on standard error.
int RunImagecfg(const std::vector<std::string>& args);

}  // namespace sanivo
