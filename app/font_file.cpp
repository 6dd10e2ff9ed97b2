#include "app/font_file.h"

#include <cstdint>
#include <optional>

#include "base/big_endian.h"

namespace sanivo {

namespace {

constexpr std::uint32_t kTrueTypeVersion = 0x00010000;
constexpr std::uint32_t kAppleTrueTypeVersion = 0x74727565;  // "true"
constexpr std::size_t kOffsetTableSize = 12;
constexpr std::size_t kTableRecordSize = 16;
constexpr std::size_t kNameHeaderSize = 6;
constexpr std::size_t kNameRecordSize = 12;
constexpr std::uint16_t kFamilyNameId = 1;
constexpr std::uint16_t kMacintoshPlatform = 1;
constexpr std::uint16_t kMacRomanEncoding = 0;
constexpr std::uint16_t kWindowsPlatform = 3;  // every Windows name record is UTF-16BE

// The `length` bytes at `offset`, when all of them lie inside `bytes`. The 64-bit arguments
// take any sum of 32-bit fields without wrapping around.
std::optional<std::string_view> Slice(std::string_view bytes, std::uint64_t offset,
                                      std::uint64_t length) {
  if (offset > bytes.size() || length > bytes.size() - offset) return std::nullopt;
  return bytes.substr(offset, length);
}

// Big-endian fields; callers read only inside a slice they have checked.
std::uint16_t Read16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(ReadBigEndian(bytes, at, 2));
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) { return ReadBigEndian(bytes, at, 4); }

// The name table, when the file starts like a TrueType font and every table of its directory
// lies inside the file.
std::optional<std::string_view> NameTableOfSoundFont(std::string_view font) {
  const auto header = Slice(font, 0, kOffsetTableSize);
  if (!header) return std::nullopt;
  const std::uint32_t version = Read32(*header, 0);
  if (version != kTrueTypeVersion && version != kAppleTrueTypeVersion) return std::nullopt;
  const std::uint16_t count = Read16(*header, 4);
  const auto records = Slice(font, kOffsetTableSize, std::uint64_t{count} * kTableRecordSize);
  if (!records) return std::nullopt;
  std::optional<std::string_view> names;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view record = records->substr(i * kTableRecordSize, kTableRecordSize);
    const auto table = Slice(font, Read32(record, 8), Read32(record, 12));
    if (!table) return std::nullopt;
    if (!names && record.substr(0, 4) == "name") names = table;
  }
  return names;
}

bool IsUtf16BeOf(std::string_view text, std::string_view ascii) {
  if (text.size() != 2 * ascii.size()) return false;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    if (Read16(text, 2 * i) != static_cast<unsigned char>(ascii[i])) return false;
  }
  return true;
}

// Whether a family-name record reads as our face. The face name is plain ASCII, which Mac
// Roman keeps as it is.
bool NamesOurFace(std::uint16_t platform, std::uint16_t encoding, std::string_view text) {
  if (platform == kWindowsPlatform) return IsUtf16BeOf(text, kConsoleFaceName);
  return platform == kMacintoshPlatform && encoding == kMacRomanEncoding &&
         text == kConsoleFaceName;
}

// Whether every record of the name table lies inside it and one family name is our face.
bool NameTableNamesOurFace(std::string_view names) {
  const auto header = Slice(names, 0, kNameHeaderSize);
  if (!header) return false;
  const std::uint16_t count = Read16(*header, 2);
  const std::uint16_t stringsOffset = Read16(*header, 4);
  const auto records = Slice(names, kNameHeaderSize, std::uint64_t{count} * kNameRecordSize);
  if (!records || stringsOffset > names.size()) return false;
  const std::string_view strings = names.substr(stringsOffset);
  bool ours = false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view record = records->substr(i * kNameRecordSize, kNameRecordSize);
    const auto text = Slice(strings, Read16(record, 10), Read16(record, 8));
    if (!text) return false;
    ours = ours || (Read16(record, 6) == kFamilyNameId &&
                    NamesOurFace(Read16(record, 0), Read16(record, 2), *text));
  }
  return ours;
}

}  // namespace

bool IsOurConsoleFont(std::string_view bytes) {
  const auto names = NameTableOfSoundFont(bytes);
  return names && NameTableNamesOurFace(*names);
}

}  // namespace sanivo
