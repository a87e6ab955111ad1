#include <cstring>
#include <new>

#include "keznls/translator.h"

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(utString source)
    : source_(source), databases_(4, 50) {}

// Members go in reverse order: the databases first, then the source.
keznlsTranslatorWithDatabases::~keznlsTranslatorWithDatabases() {}

utString keznlsTranslatorWithDatabases::translate(const char* name, const char* text) {
  if (std::strcmp(name, "DO_NOT_TRANSLATE") == 0) return utString(ut_copy, text);

  const utString key(name);
  if (static_cast<nlsDataBase*>(databases_[key]) == nullptr) {
    // A failed allocation leaves the entry empty, so a later call retries;
    // a database that loaded no domain stays and is never reopened.
    nlsDataBasecoTablePrgcoPrg opened(new (std::nothrow) nlsDataBase(source_.c_str(), name));
    databases_[key] = opened;
  }
  const nlsDataBase* database = databases_[key];

  const char* result = text;
  if (database != nullptr && database->domain() != nullptr) result = database->domain()->translate(text);
  return utString(result);
}
