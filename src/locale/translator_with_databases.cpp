#include <cstring>
#include <new>
#include <string>
#include <typeinfo>

#include "keznls/translator.h"

namespace {

bool bypassed(const char* name) { return std::strcmp(name, "DO_NOT_TRANSLATE") == 0; }

// A catalogue keys an entry with a context as context "\004" text; usual
// keys are put together on the stack.
class Key {
 public:
  Key(const char* context, const char* text) {
    if (context == nullptr) {
      key_ = text;
      return;
    }
    const std::size_t c = std::strlen(context), t = std::strlen(text);
    char* out = c + t + 2 <= sizeof stack_ ? stack_ : (long_.resize(c + t + 1), &long_[0]);
    std::memcpy(out, context, c);
    out[c] = '\004';
    std::memcpy(out + c + 1, text, t + 1);
    key_ = out;
  }
  const char* c_str() const { return key_; }

 private:
  const char* key_;
  char stack_[256];
  std::string long_;
};

}  // namespace

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(utString source)
    : source_(source), databases_(4, 50) {}

// Members go in reverse order: the databases first, then the source.
keznlsTranslatorWithDatabases::~keznlsTranslatorWithDatabases() {}

const char* keznlsTranslatorWithDatabases::answer(const char* name, const char* context, const char* text,
                                                  const char* plural, unsigned long n) {
  const char* untranslated = plural != nullptr && n != 1 ? plural : text;
  if (bypassed(name)) return untranslated;
  const nlsDataBase* found = database(name);
  if (found == nullptr) return untranslated;
  const Key key(context, text);
  const char* translation = plural != nullptr ? found->find_plural(key.c_str(), n) : found->find(key.c_str());
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
