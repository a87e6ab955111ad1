// Which catalogue of a database answers: its language folder, for callers
// that format numbers to match the text or tell a user what they got.
#include <cstring>
#include <string>

#include "keznls/nls/nls.h"

namespace {

// The <language> of <directory>/<language>/LC_MESSAGES/<name>.mo.
std::string folder_language(const std::string& path) {
  const std::size_t messages = path.rfind("/LC_MESSAGES/");
  const std::size_t start = messages == std::string::npos || messages == 0 ? std::string::npos
                                                                             : path.rfind('/', messages - 1);
  return start == std::string::npos ? std::string() : path.substr(start + 1, messages - start - 1);
}

}  // namespace

std::string nlsDataBase::language_of(const nlsLoadedDomain* domain) const {
  // A candidate's path never changes, and its catalogue is published with
  // release before `next_` passes it (docs/threads.md).
  const std::size_t tried = next_.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < tried; ++i)
    if (loaded_[i].load(std::memory_order_acquire) == domain) return folder_language(candidates_[i].path);
  return std::string();
}

std::string nlsDataBase::first_language() const {
  const nlsLoadedDomain* first = domain();
  return first != nullptr ? language_of(first) : std::string();
}

const char* nlsDataBase::find(const nlsQuery& query, std::string* language) const {
  const char* answer = find(query);
  if (answer == nullptr || language == nullptr) return answer;
  // The catalogues in order, as a lookup falls through them; the first to
  // answer is the one whose answer `find` gave.
  const std::size_t tried = next_.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < tried; ++i) {
    const nlsLoadedDomain* d = loaded_[i].load(std::memory_order_acquire);
    if (d != nullptr && d->find(query) != nullptr) {
      *language = folder_language(candidates_[i].path);
      break;
    }
  }
  return answer;
}
