// The message database: finds the catalogue of a domain for the user's
// language in the catalogue directories and loads it.
#include <string>

#include "language.h"
#include "keznls/nls/nls.h"

namespace {

std::vector<std::string> split_directories(const char* source) {
  std::vector<std::string> result;
  const std::string list = source;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(':', begin);
    if (end == std::string::npos) end = list.size();
    if (end > begin) result.push_back(list.substr(begin, end - begin));
    begin = end + 1;
  }
  return result;
}

// A domain name becomes a file name: empty names and names with a path in
// them open nothing.
bool usable_name(const char* name) {
  return *name != '\0' && std::string(name).find('/') == std::string::npos;
}

}  // namespace

nlsDataBase::nlsDataBase(const char* source, const char* name) : domain_(nullptr) {
  if (source == nullptr || name == nullptr || !usable_name(name)) return;
  const std::vector<std::string> directories = split_directories(source);
  if (directories.empty()) return;
  // The language order wins over the directory order; a malformed file is
  // passed over like a missing one.
  for (const std::string& language : nls_language::candidates()) {
    for (const std::string& directory : directories) {
      const std::string path = directory + "/" + language + "/LC_MESSAGES/" + name + ".mo";
      domain_ = nlsLoadedDomain::from_file(path.c_str());
      if (domain_ != nullptr) return;
    }
  }
}

nlsDataBase::~nlsDataBase() { delete domain_; }

const char* nlsDataBase::operator[](const char* text) const {
  return domain_ != nullptr ? domain_->translate(text) : text;
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
