#include "panel_paths.h"

namespace brevan::statuspanel {

std::optional<std::u16string> directoryOf(std::u16string_view programPath) {
  const size_t slash = programPath.rfind(u'\\');
  if (slash == std::u16string_view::npos) return std::nullopt;
  return std::u16string(programPath.substr(0, slash));
}

std::u16string pathIn(std::u16string_view directory, std::u16string_view file) {
  std::u16string path(directory);
  path += u'\\';
  path += file;
  return path;
}

}  // namespace brevan::statuspanel
