// Catalogues shared by every database of the process: one loaded copy per
// file, freed with its last user.
#ifndef NLS_CATALOGUE_CACHE_H
#define NLS_CATALOGUE_CACHE_H

#include <cstddef>
#include <memory>
#include <string>

#include "keznls/nls/nls.h"

/// A file changed on disk since it was loaded (another inode, size or
/// times) is loaded anew for the databases made after the change; the older
/// copy stays with its users.
namespace nls_catalogues {
/// The catalogue at `path`, loaded or shared; null with the reason in
/// `problem` when it is missing, unreadable or malformed, and `*again` set
/// (when given) when a later try may succeed: the process was out of
/// descriptors or memory.
std::shared_ptr<const nlsLoadedDomain> open(const std::string& path, std::string* problem, bool* again = nullptr);
/// Files read so far: for tests and diagnostics.
std::size_t files_read();
/// Catalogues alive now: for tests and diagnostics.
std::size_t alive();
}  // namespace nls_catalogues

#endif  // NLS_CATALOGUE_CACHE_H
