#include "app/console_font_slot.h"

#include "app/console_font_facts.h"
#include "app/font_file.h"
#include "app/registry_lookup.h"

namespace sanivo {

namespace {

bool HoldsOurFace(const TRegistry& registry, const std::string& name) {
  return HoldsText(registry, name, kConsoleFaceName);
}

}  // namespace

std::string TrueTypeFontSlot(const TRegistry& registry) {
  std::string name = console_font::kFirstTrueTypeSlot;
  while (registry.ValueExists(name) && !HoldsOurFace(registry, name)) name += '0';
  return name;
}

}  // namespace sanivo
