#include "tools/imagecfg/imagecfg.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "pe/pe_image.h"
#include "platform/os.h"
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
  const std::string line = text + "\r\n";
  std::uint32_t written = 0;
  os::WriteFile(os::GetStdHandle(stream), line, &written);
}

int Failure(int exitCode, const std::string& message) {
  WriteLine(os::kStdErrorHandle, "IMAGECFG: " + message);
  return exitCode;
}

std::optional<std::uint64_t> ParseMask(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t mask = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), mask, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return mask;
}

std::string HexText(std::uint64_t value, int bits) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
  std::string text(static_cast<std::size_t>(bits / 4 - (end - digits)), '0');
  for (const char* c = digits; c != end; ++c) text += static_cast<char>(std::toupper(*c));
  return "0x" + text;
}

int Run(const TRequest& request) {
  try {
    TPeImage image(ReadWholeFile(request.file));
    if (!request.mask) {
      WriteLine(os::kStdOutputHandle, "Process affinity mask: " +
                                          HexText(image.AffinityMask(), image.AffinityMaskBits()));
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
    request.mask = ParseMask(args[1]);
    if (!request.mask) return Failure(kExitUsage, "invalid mask \"" + args[1] + "\"; " + kUsage);
    request.file = args[2];
  } else {
    return Failure(kExitUsage, kUsage);
  }
  return Run(request);
}

}  // namespace sanivo
