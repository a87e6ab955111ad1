#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

#include "keznls/nls/nls.h"
#include "keznls/translator.h"
#include "catalogue/language.h"
#include "catalogue/answer_places.h"
#include "catalogue/lending.h"
#include "util/ut_program_text.h"
#include "util/ut_thread_cache.h"
#include "util/kept.h"
#include "format/grammar.h"

namespace {

using Entry = utStringnlsDataBasecoTablePrgcoPrgcoTable::Entry;

bool bypassed(const char* name) { return std::strcmp(name, "DO_NOT_TRANSLATE") == 0; }

// The names opened so far, for lookups that take no lock: a table of
// entries, at most half full, replaced by one twice the size when it fills
// (the old one is kept until the translator goes: a reader may still be in it).
// Publication order: docs/threads.md.
struct Names {
  explicit Names(std::size_t size) : mask(size - 1), slots(new std::atomic<const Entry*>[size]()) {}
  std::size_t mask;
  std::size_t used = 0;
  std::unique_ptr<std::atomic<const Entry*>[]> slots;
};

std::size_t hash_of(const char* name) { return std::hash<std::string_view>()(name); }

bool is_folder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether `folder` holds <language>/LC_MESSAGES/<name>.mo for any language.
bool holds_catalogue(const std::string& folder, const char* name) {
  if (*name == '\0' || std::strchr(name, '/') != nullptr) return false;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    struct stat st;
    const std::string path = folder + "/" + entry->d_name + "/LC_MESSAGES/" + name + ".mo";
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

struct keznlsTranslatorWithDatabases::Impl {
  Impl(const utString& catalogue_source, const char* language_list, std::string_view original_language)
      : source(catalogue_source),
        has_languages(language_list != nullptr),
        languages(language_list != nullptr ? language_list : ""),
        source_language(original_language),
        id(nls_places::new_owner()) {
    retired.push_back(std::make_unique<Names>(8));
    names.store(retired.back().get(), std::memory_order_release);
  }

  /// The database of `name`, opened on first use; null for the name
  /// "DO_NOT_TRANSLATE" and when it could not be allocated.
  const nlsDataBase* database(const char* name) {
    if (bypassed(name)) return nullptr;
    const Entry* entry = open(name);
    return entry != nullptr ? static_cast<nlsDataBase*>(entry->second) : nullptr;
  }

  /// The name table's entry of `name`, its database opened on first use;
  /// null when it could not be allocated.
  const Entry* open(const char* name) {
    const std::size_t hash = hash_of(name);
    const Names* table = names.load(std::memory_order_acquire);
    for (std::size_t i = hash & table->mask;; i = (i + 1) & table->mask) {
      const Entry* entry = table->slots[i].load(std::memory_order_acquire);
      if (entry == nullptr) break;
      if (std::strcmp(name, entry->first.c_str()) == 0) return entry;
    }
    // First use of the name: the lock is taken only here.
    std::lock_guard<std::mutex> hold(opening);
    const Entry* entry = databases.find(name);
    if (entry == nullptr || entry->second == nullptr) {
      // A failed allocation leaves the entry empty, so a later call retries;
      // a database that loaded no domain stays and is never reopened.
      const utString key(name);
      nlsDataBasecoTablePrgcoPrg opened(new (std::nothrow) nlsDataBase(
          source.c_str(), name, has_languages ? languages.c_str() : nullptr, source_language.c_str()));
      databases[key] = opened;
      entry = databases.find(name);
      if (entry->second == nullptr) return nullptr;
      publish(entry, hash);
    }
    return entry;
  }

  // Adds `entry` to the lock-free table, growing it when half full.
  void publish(const Entry* entry, std::size_t hash) {
    Names* table = retired.back().get();
    if (2 * (table->used + 1) > table->mask + 1) {
      auto bigger = std::make_unique<Names>(2 * (table->mask + 1));
      for (std::size_t i = 0; i <= table->mask; ++i)
        if (const Entry* e = table->slots[i].load(std::memory_order_relaxed)) insert(bigger.get(), e, hash_of(e->first.c_str()));
      retired.push_back(std::move(bigger));
      table = retired.back().get();
      insert(table, entry, hash);
      names.store(table, std::memory_order_release);
      return;
    }
    insert(table, entry, hash);
  }

  static void insert(Names* table, const Entry* entry, std::size_t hash) {
    std::size_t i = hash & table->mask;
    while (table->slots[i].load(std::memory_order_relaxed) != nullptr) i = (i + 1) & table->mask;
    table->slots[i].store(entry, std::memory_order_release);
    ++table->used;
  }

  /// What every call asks: the text to use, from the catalogue or the
  /// caller's. `narrow` is the formatter's grammar when it is the engine's.
  /// A message asked before on this thread is answered from its place;
  /// every call that road may make is its last, so it needs no frame.
  /// `plain`, where given, is set when the answer is known to hold no '%'.
  __attribute__((always_inline)) const char* answer(const keznlsMessage& m, nlsFormatFilter narrow,
                                                    bool* plain = nullptr) {
    nls_places::Places* mine = utThreadCache<nls_places::Places>::peek();
    if (mine == nullptr) return search(m, narrow);
    const nls_places::Question q = question(m, narrow);
    nls_places::Place* p = nls_places::keyed_as(nls_places::set_of(*mine, q), q);
    if (p == nullptr) return search(m, narrow);
    if (!p->fixed) return checked(m, narrow, *p);
    return from(m, narrow, *p, plain);
  }

  // The answer of `p`, keyed as `m` is and holding its texts.
  __attribute__((always_inline)) const char* from(const keznlsMessage& m, nlsFormatFilter narrow,
                                                  nls_places::Place& p, bool* plain = nullptr) {
    if (!nls_places::current(p)) return search(m, narrow);
    if (p.answer == nullptr) return untranslated(m);
    if ((p.kind & nls_places::kPlural) == 0) {
      if (plain != nullptr) *plain = p.plain;
      return p.answer;
    }
    // Forms read, no more than a place holds, and chosen without a program.
    const nlsPluralRule& rule = *p.catalogue->plural_rule_;
    if (static_cast<std::uint8_t>(p.forms - 1) >= 6 || !rule.ranged()) return counted(m, narrow, p);
    const char* found = nls_places::form_of(p, rule.form(m.n));
    return found != nullptr ? found : search(m, narrow);
  }

  // `p` keyed as `m` is, by pointers that may hold other texts now.
  __attribute__((noinline)) const char* checked(const keznlsMessage& m, nlsFormatFilter narrow,
                                                nls_places::Place& p) {
    return nls_places::same_texts(p, question(m, narrow)) ? from(m, narrow, p) : search(m, narrow);
  }

  // A plural the usual road does not answer: its forms not read yet, more
  // than a place holds, or a rule that runs a program to choose.
  __attribute__((noinline)) const char* counted(const keznlsMessage& m, nlsFormatFilter narrow,
                                                nls_places::Place& p) {
    const char* found = nls_places::answer_for(p, m.n);
    return found != nullptr ? found : search(m, narrow);
  }

  // lend for an object that is not plainly of our class: ours where its
  // keeps() says it lends as we do, else through its own calls.
  __attribute__((noinline)) static const char* lend_other(keznlsTranslatorWithDatabases& translator,
                                                          const keznlsMessage& m) {
    if (typeid(translator) != typeid(keznlsTranslatorWithDatabases)) {
      const unsigned kept = translator.keeps();
      // A derived class that lends otherwise is asked through its own call.
      if ((kept & keznls_kept_borrow_translation) == 0) return translator.keznlsTranslator::lend(m);
      if (!keznls_keeps_copying_call(kept, m)) return nullptr;
    }
    bool plain = false;
    return keznlsTranslatorLending::lend(translator, m, plain);
  }

  nls_places::Question question(const keznlsMessage& m, nlsFormatFilter narrow) const {
    return {id, m.name, m.text, m.context, m.plural, narrow,
            static_cast<std::uint8_t>((m.plural != nullptr ? nls_places::kPlural : 0) |
                                      (m.typed ? nls_places::kUnchecked : 0))};
  }
  static const char* untranslated(const keznlsMessage& m) { return m.plural != nullptr && m.n != 1 ? m.plural : m.text; }

  // The answer looked up, and its place remembered in the thread's places
  // when it has one.
  __attribute__((noinline)) const char* search(const keznlsMessage& m, nlsFormatFilter narrow) {
    nls_places::Places* mine = utThreadCache<nls_places::Places>::get();
    const Entry* entry = mine != nullptr ? named(*mine, m.name) : bypassed(m.name) ? nullptr : open(m.name);
    if (entry == nullptr) return untranslated(m);
    const nls_places::Question q = question(m, narrow);
    nls_places::Place* set = mine != nullptr ? nls_places::set_of(*mine, q) : nullptr;
    const nlsDataBase& database = *entry->second;
    const std::uint64_t database_id = nlsDataBaseLookup::current(database);
    const Key key(m);
    const nlsQuery query = query_of(key.text, m, narrow);
    nls_places::Found found;
    // The empty text keys a catalogue's header, which is no message.
    const char* answer = *key.text != '\0' ? nlsDataBaseLookup::search(database, query, &found) : nullptr;
    if (set != nullptr && nlsDataBaseLookup::quiet(database)) {
      if (found.catalogue != nullptr)
        nls_places::remember(set, q, found, answer, &database, database_id, entry->first.c_str());
      else if (answer == nullptr && nlsDataBaseLookup::settled_empty(database))
        nls_places::remember_none(set, q, &database, database_id, entry->first.c_str());
    }
    return answer != nullptr ? answer : untranslated(m);
  }

  // The entry of `name`, found first in the thread's name place of this
  // translator, which it is left in; null for the name "DO_NOT_TRANSLATE"
  // and when it could not be allocated.
  const Entry* named(nls_places::Places& mine, const char* name) {
    nls_places::NamePlace& last = mine.names[id % nls_places::kNames];
    if (last.owner == id && last.name == name && (last.fixed || std::strcmp(name, last.entry->first.c_str()) == 0))
      return last.entry;
    if (bypassed(name)) return nullptr;
    const Entry* entry = open(name);
    if (entry != nullptr) last = nls_places::NamePlace{id, name, entry, ut_is_program_text(name)};
    return entry;
  }

  /// The key of a message: a catalogue keys an entry in a context as
  /// context "\004" text, put together on the stack when short.
  struct Key {
    explicit Key(const keznlsMessage& m) : text(m.text) {
      if (m.context == nullptr) return;
      const std::size_t c = std::strlen(m.context), t = std::strlen(m.text);
      char* key = c + t + 2 <= sizeof stack ? stack : (long_key.resize(c + t + 1), &long_key[0]);
      std::memcpy(key, m.context, c);
      key[c] = '\004';
      std::memcpy(key + c + 1, m.text, t + 1);
      text = key;
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    const char* text;
    char stack[256];
    std::string long_key;
  };

  static nlsQuery query_of(const char* key, const keznlsMessage& m, nlsFormatFilter narrow) {
    nlsQuery query(key);
    query.plural = m.plural != nullptr;
    query.n = m.n;
    query.plural_text = m.plural;
    query.narrow = narrow;
    query.unchecked = m.typed;
    return query;
  }

  const utString source;
  const bool has_languages;
  const std::string languages;
  const std::string source_language;
  const std::uint64_t id;

  std::mutex opening;
  utStringnlsDataBasecoTablePrgcoPrgcoTable databases{4, 50};  // changed under `opening`
  std::atomic<const Names*> names{nullptr};
  std::vector<std::unique_ptr<Names>> retired;  // every table made, the newest last; under `opening`
};

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(utString source)
    : impl_(new Impl(source, nullptr, "en")) {}

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(utString source, utString languages)
    : impl_(new Impl(source, languages.invalid() ? "" : languages.c_str(), "en")) {}

keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases(std::string_view source, std::string_view languages,
                                                             std::string_view source_language)
    : impl_(new Impl(utString(std::string(source).c_str()), std::string(languages).c_str(), source_language)) {}

// The databases go first, then the source.
keznlsTranslatorWithDatabases::~keznlsTranslatorWithDatabases() = default;

utString keznlsTranslatorWithDatabases::translate(const char* name, const char* text) {
  return utString(impl_->answer(keznlsMessage{name, nullptr, text, nullptr, 0}, nullptr));
}

utString keznlsTranslatorWithDatabases::translate_plural(const char* name, const char* singular,
                                                         const char* plural, unsigned long n) {
  return utString(impl_->answer(keznlsMessage{name, nullptr, singular, plural, n}, nullptr));
}

utString keznlsTranslatorWithDatabases::translate_in_context(const char* name, const char* context,
                                                             const char* text) {
  return utString(impl_->answer(keznlsMessage{name, context, text, nullptr, 0}, nullptr));
}

utString keznlsTranslatorWithDatabases::translate_plural_in_context(const char* name, const char* context,
                                                                    const char* singular, const char* plural,
                                                                    unsigned long n) {
  return utString(impl_->answer(keznlsMessage{name, context, singular, plural, n}, nullptr));
}

const char* keznlsTranslatorWithDatabases::borrow_translation(const char* name, const char* context,
                                                              const char* text, const char* plural,
                                                              unsigned long n) {
  const keznlsMessage m{name, context, text, plural, n};
  if (!keznls_keeps_copying_call(keeps(), m)) return nullptr;
  return impl_->answer(m, nullptr);
}

const char* keznlsTranslatorWithDatabases::lend(const keznlsMessage& message) {
  // An object of exactly this class keeps every member, as keeps() says:
  // it is known by its type, without the call.
  if (&typeid(*this) != &typeid(keznlsTranslatorWithDatabases)) return Impl::lend_other(*this, message);
  bool plain = false;
  return keznlsTranslatorLending::lend(*this, message, plain);
}

const char* keznlsTranslatorLending::answer(keznlsTranslatorWithDatabases& translator, const keznlsMessage& m,
                                            nlsFormatFilter narrow, bool& plain) {
  return translator.impl_->answer(m, narrow, &plain);
}

unsigned keznlsTranslatorWithDatabases::keeps() const { return keznls_kept_if_exactly(*this); }

utString keznlsTranslatorWithDatabases::explain(const char* name) {
  if (bypassed(name)) return "not translated: the name DO_NOT_TRANSLATE bypasses the catalogues\n";
  const std::string head = "database \"" + std::string(name) + "\" in \"" + impl_->source.c_str() + "\"\n";
  const nlsDataBase* found = impl_->database(name);
  if (found == nullptr) return (head + "not opened: out of memory\n").c_str();
  return (head + found->explain(&keznls_engine::shows)).c_str();
}

const std::string& keznlsTranslatorWithDatabases::source_language() const { return impl_->source_language; }

std::string keznlsTranslatorWithDatabases::answered_language(const keznlsMessage& m) {
  const nlsDataBase* found = impl_->database(m.name);
  if (found == nullptr) return impl_->source_language;
  std::string language;
  const Impl::Key key(m);
  const char* translation = found->find(Impl::query_of(key.text, m, nullptr), &language);
  return translation != nullptr ? language : impl_->source_language;
}

std::string keznlsTranslatorWithDatabases::answered_language(const char* name, const char* text) {
  return answered_language(keznlsMessage{name, nullptr, text, nullptr, 0});
}

std::string keznlsTranslatorWithDatabases::language(const char* name) {
  const nlsDataBase* found = impl_->database(name);
  const std::string first = found != nullptr ? found->first_language() : std::string();
  return first.empty() ? impl_->source_language : first;
}

keznlsCatalogueStatus keznlsTranslatorWithDatabases::status(const char* name) {
  keznlsCatalogueStatus status;
  const std::string source = impl_->source.c_str();
  for (const std::string& folder : nls_language::split_list(source)) {
    if (!is_folder(folder)) continue;
    status.folder_exists = true;
    if (!status.any_language) status.any_language = holds_catalogue(folder, name);
  }
  if (bypassed(name)) return status;
  const nlsDataBase* found = impl_->database(name);
  status.language = found != nullptr ? found->first_language() : std::string();
  status.has_catalogue = !status.language.empty();
  return status;
}
