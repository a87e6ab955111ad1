#include <cstring>
#include <new>
#include <string>

#include "keznls/translator.h"

namespace {

bool bypassed(const char* name) { return std::strcmp(name, "DO_NOT_TRANSLATE") == 0; }

// A catalogue keys an entry with a context as context "\004" text.
std::string context_key(const char* context, const char* text) {
  return std::string(context) + '\004' + text;
}

}  // namespace

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(utString source)
    : source_(source), databases_(4, 50) {}

// Members go in reverse order: the databases first, then the source.
keznlsTranslatorWithDatabases::~keznlsTranslatorWithDatabases() {}

utString keznlsTranslatorWithDatabases::translate(const char* name, const char* text) {
  if (bypassed(name)) return utString(ut_copy, text);
  const nlsDataBase* found = database(name);
  return utString(found != nullptr ? (*found)[text] : text);
}

utString keznlsTranslatorWithDatabases::translate_plural(const char* name, const char* singular,
                                                         const char* plural, unsigned long n) {
  const char* untranslated = n == 1 ? singular : plural;
  if (bypassed(name)) return utString(ut_copy, untranslated);
  const nlsDataBase* found = database(name);
  const char* form = found != nullptr ? found->find_plural(singular, n) : nullptr;
  return utString(form != nullptr ? form : untranslated);
}

utString keznlsTranslatorWithDatabases::translate_in_context(const char* name, const char* context,
                                                             const char* text) {
  if (bypassed(name)) return utString(ut_copy, text);
  const nlsDataBase* found = database(name);
  const char* translation = found != nullptr ? found->find(context_key(context, text).c_str()) : nullptr;
  return utString(translation != nullptr ? translation : text);
}

utString keznlsTranslatorWithDatabases::translate_plural_in_context(const char* name, const char* context,
                                                                    const char* singular, const char* plural,
                                                                    unsigned long n) {
  const char* untranslated = n == 1 ? singular : plural;
  if (bypassed(name)) return utString(ut_copy, untranslated);
  const nlsDataBase* found = database(name);
  const char* form = found != nullptr ? found->find_plural(context_key(context, singular).c_str(), n) : nullptr;
  return utString(form != nullptr ? form : untranslated);
}

utString keznlsTranslatorWithDatabases::explain(const char* name) {
  if (bypassed(name))
    return "not translated: the name DO_NOT_TRANSLATE bypasses the catalogues\n";
  const std::string head = "database \"" + std::string(name) + "\" in \"" + source_.c_str() + "\"\n";
  const nlsDataBase* found = database(name);
  if (found == nullptr) return (head + "not opened: out of memory\n").c_str();
  return (head + found->explain()).c_str();
}

const nlsDataBase* keznlsTranslatorWithDatabases::database(const char* name) {
  // Messages mostly name the database the message before named.
  if (last_ != nullptr && std::strcmp(name, last_->first.c_str()) == 0) return last_->second;
  const Entry* entry = databases_.find(name);
  if (entry == nullptr || entry->second == nullptr) {
    // A failed allocation leaves the entry empty, so a later call retries;
    // a database that loaded no domain stays and is never reopened.
    const utString key(name);
    nlsDataBasecoTablePrgcoPrg opened(new (std::nothrow) nlsDataBase(source_.c_str(), name));
    databases_[key] = opened;
    entry = databases_.find(name);
  }
  if (entry->second != nullptr) last_ = entry;
  return entry->second;
}
