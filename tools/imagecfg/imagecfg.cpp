#include "tools/imagecfg/imagecfg.h"

#include <cstdint>
#include <optional>

#include "base/number_text.h"
#include "pe/pe_image.h"
#include "platform/os.h"
#include "platform/standard_handle.h"
#include "sysenv/file_access.h"

namespace sanivo {

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: IMAGECFG [-a mask] file  (mask in hexadecimal with 0x, or decimal)";

struct TRequest {
  std::optional<std::uint64_t> mask;  // none: show the current mask
  std::string file;
};

void WriteLine(std::int32_t stream, const std::string& text) {
  WriteStandardHandle(stream, text + "\r\n");
}

int Failure(int exitCode, const std::string& message) {
  WriteLine(os::kStdErrorHandle, "IMAGECFG: " + message);
  return exitCode;
}

int Run(const TRequest& request) {
  try {
    TPeImage image(ReadWholeFile(request.file));
    if (!request.mask) {
      WriteLine(
          os::kStdOutputHandle,
          "Process affinity mask: " + HexText(image.AffinityMask(), image.AffinityMaskBits() / 4));
      return kExitSuccess;
    }
    image.SetAffinityMask(*request.mask);
    image.UpdateChecksum();
    // Silent on success: started by the repair, the tool shares the repair's console, and a
    // line would land in the middle of its screen page.
    ReplaceFileContents(request.file, image.Bytes());
    return kExitSuccess;
  } catch (const EPeImageError& error) {
    return Failure(kExitFailure, request.file + ": " + error.Message());
  } catch (const EFileAccessError& error) {
    return Failure(kExitFailure, error.Message());
  }
}

}  // namespace

int RunImagecfg(const std::vector<std::string>& args) {
  TRequest request;
  if (args.size() == 1 && !args[0].starts_with('-')) {
    request.file = args[0];
  } else if (args.size() == 3 && (args[0] == "-a" || args[0] == "-A")) {
    request.mask = ParseDecimalOrHex(args[1]);
    if (!request.mask) return Failure(kExitUsage, "invalid mask \"" + args[1] + "\"; " + kUsage);
    request.file = args[2];
  } else {
    return Failure(kExitUsage, kUsage);
  }
  return Run(request);
}

}  // namespace sanivo
