#include "keznls/catalogue_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "catalogue/catalogue_folder_search.h"

namespace keznls_detail {

namespace {

bool is_folder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder holding `path`, without a trailing slash ("" for the root).
std::string parent_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string catalogue_folder_for(const std::string& executable, const char* fallback) {
  if (!executable.empty() && executable[0] == '/') {
    const std::string dir = parent_of(executable);
    std::string candidate = dir + "/locale";
    if (is_folder(candidate)) return candidate;
    // <prefix>/bin/program -> <prefix>/share/locale. A program at the root
    // has no parent to step up to.
    if (!dir.empty()) {
      candidate = parent_of(dir) + "/share/locale";
      if (is_folder(candidate)) return candidate;
    }
  }
  return fallback != nullptr ? fallback : "";
}

}  // namespace keznls_detail

utString keznls_catalogue_folder(const char* fallback) {
  // The kernel's link names the executable with links resolved; a path
  // longer than the buffer is cut, so grow until it fits.
  std::string executable(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", &executable[0], executable.size());
    if (n < 0) {
      executable.clear();
      break;
    }
    if (static_cast<std::size_t>(n) < executable.size()) {
      executable.resize(static_cast<std::size_t>(n));
      break;
    }
    executable.resize(executable.size() * 2);
  }
  const std::string folder = keznls_detail::catalogue_folder_for(executable, fallback);
  return utString(folder.c_str());
}
