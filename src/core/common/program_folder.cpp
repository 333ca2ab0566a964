#include "core/common/program_folder.h"

#include <climits>

#include <unistd.h>

namespace dashcard {

std::string programFolder() {
  char self[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) {
    return {};
  }
  std::string path(self, static_cast<std::size_t>(length));
  path.erase(path.rfind('/'));
  return path;
}

}  // namespace dashcard
