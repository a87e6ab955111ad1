#include <cstring>
#include <new>
#include <string>
#include <typeinfo>

#include "keznls/translator.h"

namespace {

bool bypassed(const char* name) { return std::strcmp(name, "DO_NOT_TRANSLATE") == 0; }

// The entry of `key` in `database`; its form for `n` when `plural` is not
// null.
const char* look_up(const nlsDataBase& database, const char* key, const char* plural, unsigned long n) {
  return plural != nullptr ? database.find_plural(key, n) : database.find(key);
}

// look_up of `text` in `context`: a catalogue keys that entry as context
// "\004" text, put together on the stack when short. Out of line, so the
// usual message's frame has no room for it.
__attribute__((noinline)) const char* look_up_in_context(const nlsDataBase& database, const char* context,
                                                         const char* text, const char* plural, unsigned long n) {
  const std::size_t c = std::strlen(context), t = std::strlen(text);
  char stack[256];
  std::string long_key;
  char* key = c + t + 2 <= sizeof stack ? stack : (long_key.resize(c + t + 1), &long_key[0]);
  std::memcpy(key, context, c);
  key[c] = '\004';
  std::memcpy(key + c + 1, text, t + 1);
  return look_up(database, key, plural, n);
}

}  // namespace

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(utString source)
    : source_(source), databases_(4, 50) {}

// Members go in reverse order: the databases first, then the source.
keznlsTranslatorWithDatabases::~keznlsTranslatorWithDatabases() {}

const nlsDataBase* keznlsTranslatorWithDatabases::database(const char* name) {
  // Messages mostly name the database the message before named, which is
  // never the bypass: that name has none.
  if (last_ != nullptr && std::strcmp(name, last_->first.c_str()) == 0) return last_->second;
  if (bypassed(name)) return nullptr;
  return open(name);
}

const nlsDataBase* keznlsTranslatorWithDatabases::open(const char* name) {
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

const char* keznlsTranslatorWithDatabases::answer(const char* name, const char* context, const char* text,
                                                  const char* plural, unsigned long n) {
  const char* untranslated = plural != nullptr && n != 1 ? plural : text;
  const nlsDataBase* found = database(name);
  if (found == nullptr) return untranslated;
  const char* translation = context == nullptr ? look_up(*found, text, plural, n)
                                                : look_up_in_context(*found, context, text, plural, n);
  return translation != nullptr ? translation : untranslated;
}

utString keznlsTranslatorWithDatabases::translate(const char* name, const char* text) {
  return utString(answer(name, nullptr, text, nullptr, 0));
}

utString keznlsTranslatorWithDatabases::translate_plural(const char* name, const char* singular,
                                                         const char* plural, unsigned long n) {
  return utString(answer(name, nullptr, singular, plural, n));
}

utString keznlsTranslatorWithDatabases::translate_in_context(const char* name, const char* context,
                                                             const char* text) {
  return utString(answer(name, context, text, nullptr, 0));
}

utString keznlsTranslatorWithDatabases::translate_plural_in_context(const char* name, const char* context,
                                                                    const char* singular, const char* plural,
                                                                    unsigned long n) {
  return utString(answer(name, context, singular, plural, n));
}

const char* keznlsTranslatorWithDatabases::borrow_translation(const char* name, const char* context,
                                                              const char* text, const char* plural,
                                                              unsigned long n) {
  // A derived class may answer the copying calls otherwise.
  if (typeid(*this) != typeid(keznlsTranslatorWithDatabases)) return nullptr;
  return answer(name, context, text, plural, n);
}

utString keznlsTranslatorWithDatabases::explain(const char* name) {
  if (bypassed(name))
    return "not translated: the name DO_NOT_TRANSLATE bypasses the catalogues\n";
  const std::string head = "database \"" + std::string(name) + "\" in \"" + source_.c_str() + "\"\n";
  const nlsDataBase* found = database(name);
  if (found == nullptr) return (head + "not opened: out of memory\n").c_str();
  return (head + found->explain()).c_str();
}
