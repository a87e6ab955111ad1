// One loaded copy of each catalogue file per process, shared by every
// database that needs it and freed with the last of them (docs/threads.md).
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "keznls/nls/nls.h"

namespace {

// What tells one version of a file from the next: a file replaced by a
// new one has another inode; one rewritten in place another size or
// modification time.
struct Identity {
  dev_t device;
  ino_t inode;
  off_t size;
  long seconds, nanoseconds;
  bool operator==(const Identity& o) const {
    return device == o.device && inode == o.inode && size == o.size && seconds == o.seconds &&
           nanoseconds == o.nanoseconds;
  }
};

struct Held {
  Identity identity;
  const nlsLoadedDomain* loaded;
  std::weak_ptr<const nlsLoadedDomain> domain;
};

struct Registry {
  std::mutex lock;
  std::unordered_map<std::string, Held> files;  // a file while it has users
  std::atomic<std::size_t> read{0}, alive{0};
};

// Never destroyed: databases in static objects may outlive any order of
// destruction at exit.
Registry& registry() {
  static Registry* const r = new Registry;
  return *r;
}

}  // namespace

namespace nls_catalogues {

std::shared_ptr<const nlsLoadedDomain> open(const std::string& path, std::string* problem) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    *problem = errno == ENOENT ? "missing" : std::string("unreadable: ") + std::strerror(errno);
    return nullptr;
  }
  const Identity identity{st.st_dev, st.st_ino, st.st_size, static_cast<long>(st.st_mtim.tv_sec),
                          static_cast<long>(st.st_mtim.tv_nsec)};
  Registry& r = registry();
  // Loading holds the lock: a file wanted by two threads at once is read
  // once. Only a database's first use of a file comes here.
  std::lock_guard<std::mutex> hold(r.lock);
  const auto it = r.files.find(path);
  if (it != r.files.end() && it->second.identity == identity)
    if (auto shared = it->second.domain.lock()) return shared;
  const nlsLoadedDomain* domain = nlsLoadedDomain::from_file(path.c_str(), problem);
  r.read.fetch_add(1, std::memory_order_relaxed);
  if (domain == nullptr) return nullptr;
  r.alive.fetch_add(1, std::memory_order_relaxed);
  // The last user forgets the file too, unless a newer copy took its place.
  // Never called with the lock held: open() hands every copy it makes out.
  std::shared_ptr<const nlsLoadedDomain> loaded(domain, [path](const nlsLoadedDomain* d) {
    Registry& registry = ::registry();
    {
      std::lock_guard<std::mutex> hold(registry.lock);
      const auto held = registry.files.find(path);
      if (held != registry.files.end() && held->second.loaded == d) registry.files.erase(held);
    }
    registry.alive.fetch_sub(1, std::memory_order_relaxed);
    delete d;
  });
  r.files[path] = Held{identity, domain, loaded};
  return loaded;
}

std::size_t files_read() { return registry().read.load(std::memory_order_relaxed); }

std::size_t alive() { return registry().alive.load(std::memory_order_relaxed); }

}  // namespace nls_catalogues
