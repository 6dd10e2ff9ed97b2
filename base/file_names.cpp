#include "base/file_names.h"

namespace sanivo {

namespace {

std::size_t NameStart(const std::string& path) {
  const std::size_t delimiter = path.find_last_of("\\:");
  return delimiter == std::string::npos ? 0 : delimiter + 1;
}

}  // namespace

std::string ExtractFilePath(const std::string& path) { return path.substr(0, NameStart(path)); }

std::string ExtractFileName(const std::string& path) { return path.substr(NameStart(path)); }

std::string FileNameWithoutExt(const std::string& path) {
  const std::string name = ExtractFileName(path);
  return name.substr(0, name.rfind('.'));
}

std::string IncludeTrailingBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path : path + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& path) {
  return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

}  // namespace sanivo
