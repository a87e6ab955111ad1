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
  // Candidates before `next_` are written for good; their paths never change.
  const std::size_t tried = next_.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < tried; ++i)
    if (candidates_[i].domain.get() == domain) return folder_language(candidates_[i].path);
  // A catalogue counted as loaded a moment before its candidate counts as
  // tried: the lock waits for the loader to finish.
  std::lock_guard<std::mutex> hold(loading_);
  for (std::size_t i = 0; i < next_.load(std::memory_order_relaxed); ++i)
    if (candidates_[i].domain.get() == domain) return folder_language(candidates_[i].path);
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
  const std::size_t loaded = loaded_count_.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < loaded; ++i)
    if (loaded_[i]->find(query) != nullptr) {
      *language = language_of(loaded_[i]);
      break;
    }
  return answer;
}
