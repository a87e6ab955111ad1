// One loaded copy of each catalogue file per process, shared by every
// database that needs it and freed with the last of them (docs/threads.md).
#include "catalogue/catalogue_cache.h"

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

#include "catalogue/catalogue_state.h"
#include "catalogue/file_image.h"

namespace {

struct Held {
  nlsFileIdentity identity;  // of the descriptor the copy was read from
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

std::shared_ptr<const nlsLoadedDomain> open(const std::string& path, std::string* problem, bool* again) {
  if (again != nullptr) *again = false;
  Registry& r = registry();
  // A stale copy looked at goes after the lock is released: its last user
  // may be us, and its deleter takes the lock.
  std::shared_ptr<const nlsLoadedDomain> looked_at;
  // Loading holds the lock: a file wanted by two threads at once is read
  // once. Only a database's first use of a file comes here.
  std::lock_guard<std::mutex> hold(r.lock);
  // The copy is shared only if the file opened now is the one it was read
  // from, as the descriptor tells.
  nlsOpenProblem failure;
  nlsOpenedFile opened(path.c_str(), &failure);
  std::unique_ptr<nlsCatalogue> catalogue;
  if (opened.ok()) {
    const auto it = r.files.find(path);
    if (it != r.files.end() && it->second.identity == opened.identity())
      if ((looked_at = it->second.domain.lock()) != nullptr && !nlsCatalogue::of(*looked_at).stale())
        return looked_at;
    catalogue = nlsCatalogue::load(opened, path.c_str(), &failure);
    r.read.fetch_add(1, std::memory_order_relaxed);
  }
  if (catalogue == nullptr) {
    *problem = failure.problem;
    if (again != nullptr) *again = failure.again;
    return nullptr;
  }
  r.alive.fetch_add(1, std::memory_order_relaxed);
  const nlsLoadedDomain* domain = catalogue.get();
  // The last user forgets the file too, unless a newer copy took its place.
  // Never called with the lock held: open() hands every copy it makes out.
  std::shared_ptr<const nlsLoadedDomain> loaded(catalogue.release(), [path](const nlsCatalogue* d) {
    Registry& registry = ::registry();
    {
      std::lock_guard<std::mutex> hold(registry.lock);
      const auto held = registry.files.find(path);
      if (held != registry.files.end() && held->second.loaded == d) registry.files.erase(held);
    }
    registry.alive.fetch_sub(1, std::memory_order_relaxed);
    delete d;
  });
  r.files[path] = Held{opened.identity(), domain, loaded};
  return loaded;
}

std::size_t files_read() { return registry().read.load(std::memory_order_relaxed); }

std::size_t alive() { return registry().alive.load(std::memory_order_relaxed); }

}  // namespace nls_catalogues
