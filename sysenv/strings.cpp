#include "sysenv/strings.h"

#include <algorithm>

#include "platform/os.h"

namespace sanivo {

namespace {

// The text up to its first zero byte, as a zero-terminated string reads it.
std::string_view UpToTerminator(std::string_view text) { return text.substr(0, text.find('\0')); }

// Whether `position` starts a character rather than falling on the second byte of a
// double-byte one.
bool IsCharacterStart(std::string_view text, std::size_t position) {
  std::size_t at = 0;
  while (at < position) at = NextCharacter(text, at);
  return at == position;
}

// The first place in `text` where `pattern` occurs, starting a character and equal under the
// locale's comparison; npos when there is none. An empty pattern is never found.
std::size_t FindOccurrence(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return std::string_view::npos;
  std::size_t at = 0;
  while (at + pattern.size() <= text.size()) {
    const std::string_view candidate = text.substr(at, pattern.size());
    if (candidate == pattern && EqualsWithCase(candidate, pattern)) return at;
    at = NextCharacter(text, at);
  }
  return std::string_view::npos;
}

}  // namespace

std::size_t NextCharacter(std::string_view text, std::size_t position) {
  if (position >= text.size()) return text.size();
  // The system call stays put on a zero byte.
  return std::max(os::CharNextA(text, position), position + 1);
}

bool EqualsWithCase(std::string_view first, std::string_view second) {
  return os::CompareStringA(0, first, second) == os::kCstrEqual;
}

bool EqualsIgnoringCase(std::string_view first, std::string_view second) {
  return os::CompareStringA(os::kNormIgnoreCase, first, second) == os::kCstrEqual;
}

std::string ReplaceTextAll(std::string_view text, std::string_view pattern,
                           std::string_view replacement) {
  // Upper-casing keeps every byte in its place, so positions in the upper-case copy are
  // positions in the text.
  const std::string upperText = os::CharUpperBuffA(std::string(text));
  const std::string upperPattern = os::CharUpperBuffA(std::string(pattern));
  std::string result;
  std::string_view remainder = text;
  std::string_view searchText = upperText;
  while (!searchText.empty()) {
    const std::size_t found = FindOccurrence(searchText, upperPattern);
    if (found == std::string_view::npos) {
      result += remainder;
      break;
    }
    result += remainder.substr(0, found);
    result += replacement;
    remainder.remove_prefix(found + upperPattern.size());
    searchText.remove_prefix(found + upperPattern.size());
  }
  return result;
}

bool StartsWithStr(std::string_view prefix, std::string_view text) {
  return EqualsWithCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithStr(std::string_view suffix, std::string_view text) {
  if (suffix.empty() || suffix.size() > text.size()) return false;
  const std::size_t start = text.size() - suffix.size();
  if (!IsCharacterStart(text, start)) return false;
  return EqualsWithCase(UpToTerminator(suffix), UpToTerminator(text.substr(start)));
}

}  // namespace sanivo
