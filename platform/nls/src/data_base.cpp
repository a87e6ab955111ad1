// The message database: the catalogues of a domain for the user's languages
// in the catalogue directories, loaded as lookups need them.
#include <string>

#include "keznls/nls/nls.h"
#include "language.h"

nlsDataBase::nlsDataBase(const char* source, const char* name) {
  if (source == nullptr || name == nullptr) return;
  // A domain name becomes a file name.
  if (*name == '\0' || std::string(name).find('/') != std::string::npos) {
    notes_.push_back("skipped: a database name must be a file name, not \"" + std::string(name) + "\"");
    return;
  }
  const std::vector<std::string> directories = nls_language::split_list(source);
  if (directories.empty()) {
    notes_.push_back("skipped: no catalogue folder given");
    return;
  }
  nls_language::Choice choice = nls_language::choose();
  notes_ = std::move(choice.notes);
  // The language order wins over the directory order.
  for (const std::string& folder : choice.folders)
    for (const std::string& directory : directories)
      candidates_.push_back({directory + "/" + folder + "/LC_MESSAGES/" + name + ".mo", std::string(), nullptr});
  while (next_ < candidates_.size() && open_next() == nullptr) {
  }
  if (!loaded_.empty()) domain_ = loaded_.front().get();
}

nlsDataBase::~nlsDataBase() {}

const nlsLoadedDomain* nlsDataBase::open_next() const {
  Candidate& c = candidates_[next_++];
  std::unique_ptr<nlsLoadedDomain> loaded(nlsLoadedDomain::from_file(c.path.c_str(), &c.outcome));
  if (loaded == nullptr) return nullptr;
  loaded_.push_back(std::move(loaded));
  const nlsLoadedDomain* d = c.domain = loaded_.back().get();
  c.outcome = "loaded, " + std::to_string(d->size()) + " messages";
  if (!d->converted_from().empty()) c.outcome += ", converted from " + d->converted_from();
  const std::string plural = d->plural_rule_problem();
  if (!plural.empty()) c.outcome += ", Plural-Forms not used (" + plural + " of the header): forms by n != 1";
  return d;
}

std::string nlsDataBase::explain() const {
  while (next_ < candidates_.size()) open_next();
  std::string out;
  for (const std::string& note : notes_) out += note + "\n";
  for (const Candidate& c : candidates_) {
    out += c.path + ": " + c.outcome;
    std::string first;
    if (const std::size_t n = c.domain != nullptr ? c.domain->refused(&first) : 0)
      out += ", " + std::to_string(n) + " translations refused for reading other arguments than their originals (" +
             first + (n > 1 ? ", ..." : "") + ")";
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

nlsDataBasecoTablePrgcoPrg& utStringnlsDataBasecoTablePrgcoPrgcoTable::operator[](
    const utString& key) {
  return entries_.try_emplace(key).first->second;
}

const utStringnlsDataBasecoTablePrgcoPrgcoTable::Entry* utStringnlsDataBasecoTablePrgcoPrgcoTable::find(
    const char* key) const {
  const auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &*it;
}
