#include "app/console_font_slot.h"

#include <cstdint>
#include <optional>

#include "app/console_font_facts.h"
#include "app/font_file.h"
#include "platform/os.h"

namespace sanivo {

namespace {

bool HoldsOurFace(const TRegistry& registry, const std::string& name) {
  const std::optional<std::uint32_t> type = registry.ValueType(name);
  return (type == os::kRegSz || type == os::kRegExpandSz) &&
         registry.ReadString(name) == kConsoleFaceName;
}

}  // namespace

std::string TrueTypeFontSlot(const TRegistry& registry) {
  std::string name = console_font::kFirstTrueTypeSlot;
  while (registry.ValueExists(name) && !HoldsOurFace(registry, name)) name += '0';
  return name;
}

}  // namespace sanivo
