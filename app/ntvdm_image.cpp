#include "app/ntvdm_image.h"

#include "sysenv/file_access.h"

namespace sanivo {

TPeImage SoundNtvdmImage(const std::string& path) {
  TPeImage image(ReadWholeFile(path));
  if (!image.ChecksumHolds()) throw EPeImageError("the image does not match its checksum");
  return image;
}

}  // namespace sanivo
