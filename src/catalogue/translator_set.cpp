// A fixed table of shared translators, one per language list: lookups take
// no lock and write nothing shared; only a list's first use locks.
#include "keznls/translator_set.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "catalogue/language.h"
#include "keznls/languages.h"

namespace {

// FNV-1a: lists are a few bytes, hashed inline faster than by a call.
std::size_t hash_of(std::string_view key) {
  std::uint64_t h = 14695981039346656037u;
  for (const char c : key) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211u;
  return static_cast<std::size_t>(h ^ (h >> 32));
}

// Browsers send a few dozen bytes; a longer header is read anew each time
// rather than kept.
constexpr std::size_t kLongestHeaderKept = 256;

// Lists are short: compared inline, with no call.
bool same(const std::string& a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < b.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// The language part of a name: "de" of "de_CH.UTF-8".
std::string_view language_part(std::string_view name) { return name.substr(0, name.find_first_of("_.@")); }

}  // namespace

keznlsTranslatorSetEntry::~keznlsTranslatorSetEntry() = default;

struct keznlsTranslatorSet::Impl {
  Impl(std::string_view folder, std::string_view name, const keznlsTranslatorSetOptions& o)
      : source(folder), database(name), options(o) {
    if (options.capacity == 0) options.capacity = 1;
    std::size_t slots = 4;
    while (slots < 2 * (options.capacity + 1)) slots *= 2;
    mask = slots - 1;
    table.reset(new std::atomic<keznlsTranslatorSetEntry*>[slots]());
    // Room for four headers a list, at most half full.
    header_mask = 4 * slots - 1;
    headers.reset(new std::atomic<const Header*>[header_mask + 1]());
    if (options.displayer == nullptr) {
      own_displayer.reset(new keznlsDisplayerDefault);
      options.displayer = own_displayer.get();
    }
    std::lock_guard<std::mutex> hold(making);
    originals = make(std::string());
  }

  keznlsTranslatorSetEntry* find(std::string_view key, std::size_t hash) const {
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      keznlsTranslatorSetEntry* e = table[i].load(std::memory_order_acquire);
      if (e == nullptr || same(e->languages_, key)) return e;
    }
  }

  // A header seen before, as it was written, with the entry its list got.
  struct Header {
    std::string text;
    keznlsTranslatorSetEntry* entry;
  };

  keznlsTranslatorSetEntry& for_header(std::string_view header) {
    const std::size_t hash = hash_of(header);
    for (std::size_t i = hash & header_mask;; i = (i + 1) & header_mask) {
      const Header* h = headers[i].load(std::memory_order_acquire);
      if (h == nullptr) break;
      if (same(h->text, header)) return *h->entry;
    }
    const utString list = keznls_accept_language_list(header, options.source_language);
    keznlsTranslatorSetEntry& e = get(list.c_str());
    remember(header, hash, &e);
    return e;
  }

  // Keeps `header`'s entry while there is room; past that, such headers are
  // read anew each time.
  void remember(std::string_view header, std::size_t hash, keznlsTranslatorSetEntry* e) {
    if (header.size() > kLongestHeaderKept) return;
    std::lock_guard<std::mutex> hold(making);
    if (2 * (header_log.size() + 1) > header_mask + 1) return;
    std::size_t i = hash & header_mask;
    for (;; i = (i + 1) & header_mask) {
      const Header* h = headers[i].load(std::memory_order_relaxed);
      if (h == nullptr) break;
      if (same(h->text, header)) return;  // another thread was first
    }
    header_log.push_back(std::make_unique<Header>(Header{std::string(header), e}));
    headers[i].store(header_log.back().get(), std::memory_order_release);
  }

  keznlsTranslatorSetEntry& get(std::string_view list) {
    const std::size_t hash = hash_of(list);
    if (keznlsTranslatorSetEntry* e = find(list, hash)) return *e;
    return first_use(list, hash);
  }

  // A list not in the table yet: made under the lock. Out of line, so that
  // a request's lookup keeps a small frame.
  __attribute__((noinline)) keznlsTranslatorSetEntry& first_use(std::string_view list, std::size_t hash) {
    std::lock_guard<std::mutex> hold(making);
    if (keznlsTranslatorSetEntry* e = find(list, hash)) return *e;  // made meanwhile
    if (entries.size() < options.capacity + 1) return *make(std::string(list));
    // Full: the first language alone, else the originals.
    const std::vector<std::string> names = nls_language::split_list(std::string(list));
    if (!names.empty())
      if (keznlsTranslatorSetEntry* e = find(names[0], hash_of(names[0]))) return *e;
    return *originals;
  }

  // Makes and publishes the entry of `list`; the lock is held.
  keznlsTranslatorSetEntry* make(std::string list) {
    std::unique_ptr<keznlsTranslatorSetEntry> e(new keznlsTranslatorSetEntry);
    e->languages_ = std::move(list);
    e->translator_.reset(new keznlsTranslatorWithDatabases(source, e->languages_, options.source_language));
    e->language_ = e->translator_->language(database.c_str());
    e->numbers_ = formatter(number_locale(e->languages_, e->language_));
    e->formatter_ = options.formatter != nullptr ? options.formatter : e->numbers_;
    e->text_.reset(new keznlsTranslatorAndFormatter(e->translator_.get(), e->formatter_));
    e->helper_.reset(new keznlsHelper(e->translator_.get(), e->formatter_, options.displayer));
    keznlsTranslatorSetEntry* made = e.get();
    entries.push_back(std::move(e));
    std::size_t i = hash_of(made->languages_) & mask;
    while (table[i].load(std::memory_order_relaxed) != nullptr) i = (i + 1) & mask;
    table[i].store(made, std::memory_order_release);
    return made;
  }

  // The list's most specific name in `language`, else `language`: a Swiss
  // reader answered from a German catalogue gets Swiss numbers.
  static std::string number_locale(const std::string& list, const std::string& language) {
    const std::string_view wanted = language_part(language);
    std::string best = language;
    for (const std::string& name : nls_language::split_list(list))
      if (language_part(name) == wanted && name.size() > best.size()) {
        best = name;
        break;
      }
    return best;
  }

  keznlsFormatterNamedLocale* formatter(const std::string& locale) {
    std::unique_ptr<keznlsFormatterNamedLocale>& f = formatters[locale];
    if (f == nullptr) f.reset(new keznlsFormatterNamedLocale(locale));
    return f.get();
  }

  const std::string source;
  const std::string database;
  keznlsTranslatorSetOptions options;
  std::unique_ptr<keznlsDisplayer> own_displayer;
  std::size_t mask = 0;
  std::unique_ptr<std::atomic<keznlsTranslatorSetEntry*>[]> table;  // written under `making`
  std::mutex making;
  std::map<std::string, std::unique_ptr<keznlsFormatterNamedLocale>> formatters;  // under `making`
  std::vector<std::unique_ptr<keznlsTranslatorSetEntry>> entries;                // under `making`
  keznlsTranslatorSetEntry* originals = nullptr;
  std::size_t header_mask = 0;
  std::unique_ptr<std::atomic<const Header*>[]> headers;  // written under `making`
  std::vector<std::unique_ptr<Header>> header_log;        // under `making`
};

keznlsTranslatorSet::keznlsTranslatorSet(std::string_view source, std::string_view database,
                                         const keznlsTranslatorSetOptions& options)
    : impl_(new Impl(source, database, options)) {}

keznlsTranslatorSet::~keznlsTranslatorSet() = default;

keznlsTranslatorSetEntry& keznlsTranslatorSet::for_header(std::string_view accept_language) {
  return impl_->for_header(accept_language);
}

keznlsTranslatorSetEntry& keznlsTranslatorSet::for_languages(std::string_view languages) {
  return impl_->get(languages);
}

std::size_t keznlsTranslatorSet::size() const {
  std::lock_guard<std::mutex> hold(impl_->making);
  return impl_->entries.size();
}

std::size_t keznlsTranslatorSet::capacity() const { return impl_->options.capacity; }

keznlsCatalogueStatus keznlsTranslatorSet::status() const {
  keznlsCatalogueStatus status = impl_->originals->translator().status(impl_->database.c_str());
  status.has_catalogue = status.any_language;
  return status;
}
