// The message database: the catalogues of a domain for the user's languages
// in the catalogue directories, loaded as lookups need them. Publication
// of the catalogues loaded later: docs/threads.md.
#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

#include "keznls/nls/nls.h"
#include "catalogue/answer_places.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/language.h"

nlsDataBase::nlsDataBase(const char* source, const char* name) : nlsDataBase(source, name, nullptr) {}

nlsDataBase::nlsDataBase(const char* source, const char* name, const char* languages)
    : nlsDataBase(source, name, languages, nullptr) {}

nlsDataBase::nlsDataBase(const char* source, const char* name, const char* languages, const char* source_language)
    : id_(nls_places::new_owner()) {
  init(source, name, languages, source_language);
  loaded_.reset(new std::atomic<const nlsLoadedDomain*>[candidates_.empty() ? 1 : candidates_.size()]());
  // The first catalogue found is loaded now; the others when needed.
  std::lock_guard<std::mutex> hold(loading_);
  for (std::size_t i = 0; i < candidates_.size() && domain() == nullptr; ++i) try_locked(i);
}

void nlsDataBase::init(const char* source, const char* name, const char* languages, const char* source_language) {
  if (source == nullptr || name == nullptr) return;
  // A domain name becomes a file name.
  if (*name == '\0' || std::strchr(name, '/') != nullptr) {
    notes_.push_back("skipped: a database name must be a file name, not \"" + std::string(name) + "\"");
    return;
  }
  const std::vector<std::string> directories = nls_language::split_list(source);
  if (directories.empty()) {
    notes_.push_back("skipped: no catalogue folder given");
    return;
  }
  nls_language::Choice choice = nls_language::choose(languages, source_language);
  notes_ = std::move(choice.notes);
  // The language order wins over the directory order.
  static constexpr char kMiddle[] = "/LC_MESSAGES/";
  const std::size_t name_size = std::strlen(name);
  candidates_.reserve(choice.folders.size() * directories.size());
  for (const std::string& folder : choice.folders)
    for (const std::string& directory : directories) {
      std::string path;
      path.reserve(directory.size() + 1 + folder.size() + sizeof kMiddle - 1 + name_size + 3);
      path.append(directory).append(1, '/').append(folder).append(kMiddle).append(name, name_size).append(".mo");
      candidates_.push_back({std::move(path), std::string(), nullptr});
    }
}

nlsDataBase::~nlsDataBase() {}

void nlsDataBase::try_locked(std::size_t i) const {
  Candidate& c = candidates_[i];
  const bool retry = c.again;
  c.domain = nls_catalogues::open(c.path, &c.outcome, &c.again);
  if (const nlsLoadedDomain* d = c.domain.get()) {
    // explain() says what was loaded.
    c.outcome.clear();
    loaded_[i].store(d, std::memory_order_release);
    // Places remembered before may hold a later catalogue's answer.
    if (retry) id_.store(nls_places::new_owner(), std::memory_order_release);
  } else if (c.again) {
    c.outcome += " (tried again on a later lookup)";
  }
  if (c.again && !retry) {
    again_.fetch_add(1, std::memory_order_relaxed);
    // Places remembered before would spare later lookups the retry; none
    // is remembered while one waits.
    id_.store(nls_places::new_owner(), std::memory_order_release);
  }
  if (retry && !c.again) again_.fetch_sub(1, std::memory_order_relaxed);
  if (i == next_.load(std::memory_order_relaxed)) next_.store(i + 1, std::memory_order_release);
}

bool nlsDataBase::load_next(std::size_t i) const {
  if (i >= candidates_.size()) return false;
  std::lock_guard<std::mutex> hold(loading_);
  while (next_.load(std::memory_order_relaxed) <= i) try_locked(next_.load(std::memory_order_relaxed));
  return true;
}

void nlsDataBase::try_again() const {
  // One thread tries; the others go on with the catalogues they have.
  std::unique_lock<std::mutex> hold(loading_, std::try_to_lock);
  if (!hold.owns_lock()) return;
  const std::size_t tried = next_.load(std::memory_order_relaxed);
  for (std::size_t i = 0; i < tried; ++i)
    if (candidates_[i].again) try_locked(i);
}

const nlsLoadedDomain* nlsDataBase::domain() const {
  const std::size_t tried = next_.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < tried; ++i)
    if (const nlsLoadedDomain* d = loaded_[i].load(std::memory_order_acquire)) return d;
  return nullptr;
}

std::string nlsDataBase::explain(nlsFormatFilter narrow) const {
  std::lock_guard<std::mutex> hold(loading_);
  for (std::size_t i = 0; i < candidates_.size(); ++i)
    if (i >= next_.load(std::memory_order_relaxed) || candidates_[i].again) try_locked(i);
  std::string out;
  for (const std::string& note : notes_) out += note + "\n";
  for (const Candidate& c : candidates_) {
    out += c.path + ": " + c.outcome;
    if (const nlsLoadedDomain* d = c.domain.get()) {
      out += "loaded, " + std::to_string(d->size()) + " messages";
      if (!d->converted_from().empty()) out += ", converted from " + d->converted_from();
      const std::string plural = d->plural_rule_problem();
      if (!plural.empty()) out += ", Plural-Forms not used (" + plural + " of the header): forms by n != 1";
      const nlsAudit a = d->audit(narrow);
      auto count = [&out](std::size_t n, const char* what, const std::string& first) {
        if (n > 0) out += ", " + std::to_string(n) + what + " (" + first + (n > 1 ? ", ..." : "") + ")";
      };
      count(a.malformed, " malformed entries passed over", a.first_malformed);
      if (!a.table_problem.empty()) out += ", " + a.table_problem + " (such slots are stepped over)";
      count(a.refused, " translations refused for reading other arguments than their originals", a.first_refused);
      count(a.narrow, " translations use conversions the library's engine does not have", a.first_narrow);
      if (nlsCatalogue::of(*c.domain).stale())
        out += ", changed on disk since it was loaded: " + std::to_string(a.unread) +
               " entries not read before the change answer none";
    }
    out += "\n";
  }
  return out;
}

void nlsDataBasecoTablePrgcoPrg::operator=(const nlsDataBasecoTablePrgcoPrg& other) {
  if (&other == this) return;
  delete_ptr();
  ptr_ = other.ptr_;
  other.ptr_ = nullptr;
}

void nlsDataBasecoTablePrgcoPrg::delete_ptr() {
  delete ptr_;
  ptr_ = nullptr;
}

utStringnlsDataBasecoTablePrgcoPrgcoTable::utStringnlsDataBasecoTablePrgcoPrgcoTable(int, int) {}

utStringnlsDataBasecoTablePrgcoPrgcoTable::~utStringnlsDataBasecoTablePrgcoPrgcoTable() {}

namespace {

// The first of `entries` whose key is not before `key`.
template <typename Entries>
auto first_not_before(Entries& entries, const char* key) {
  return std::lower_bound(entries.begin(), entries.end(), key, [](const auto& entry, const char* k) {
    return std::strcmp(entry->first.c_str(), k) < 0;
  });
}

}  // namespace

nlsDataBasecoTablePrgcoPrg& utStringnlsDataBasecoTablePrgcoPrgcoTable::operator[](const utString& key) {
  const auto at = first_not_before(entries_, key.c_str());
  if (at != entries_.end() && std::strcmp((*at)->first.c_str(), key.c_str()) == 0) return (*at)->second;
  return (*entries_.insert(at, std::make_unique<Entry>(std::piecewise_construct, std::forward_as_tuple(key),
                                                       std::forward_as_tuple())))
      ->second;
}

const utStringnlsDataBasecoTablePrgcoPrgcoTable::Entry* utStringnlsDataBasecoTablePrgcoPrgcoTable::find(
    const char* key) const {
  const auto at = first_not_before(entries_, key);
  return at != entries_.end() && std::strcmp((*at)->first.c_str(), key) == 0 ? at->get() : nullptr;
}
