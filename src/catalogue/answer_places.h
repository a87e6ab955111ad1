// Each thread's places of the answers it was given, found again by the
// caller's own pointers: a message asked again costs one probe and a few
// compares, no hash of its text and no lookup in a catalogue.
#ifndef NLS_ANSWER_PLACES_H
#define NLS_ANSWER_PLACES_H

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "catalogue/catalogue_state.h"
#include "catalogue/plural_rule.h"
#include "keznls/nls/nls.h"
#include "util/ut_thread_cache.h"

namespace nls_places {

/// A new owner id for places. Translators and databases draw from one
/// count, so that neither ever takes an id the other had (docs/threads.md).
std::uint64_t new_owner();

enum : std::uint8_t { kPlural = 1, kUnchecked = 2 };
constexpr std::uint8_t kManyForms = 0xff;

/// One question as places are keyed: the asker's id and the caller's own
/// pointers, compared, never followed unless they are the program's text.
struct Question {
  std::uint64_t owner;  ///< a translator's id, or a database's own
  const char* name;     ///< the database name a translator was given; null for a database's own lookups
  const char* text;     ///< the text, or a database's key (which may hold a context)
  const char* context;  ///< a translator's context, or null
  const char* plural;   ///< the caller's plural text, or null
  nlsFormatFilter narrow;
  std::uint8_t kind;
};

/// Where an answer was found: the first catalogue holding the entry.
struct Found {
  const nlsCatalogue* catalogue = nullptr;
  std::uint32_t message = 0;
  nlsCatalogue::Strings strings{};
};

/// One answer, two cache lines; the first holds what a plain message's
/// hit reads. Trivial, so a thread's places need no construction.
struct alignas(64) Place {
  std::uint64_t owner;
  const char* text;
  const char* name;
  const char* context;
  const char* plural;
  nlsFormatFilter narrow;
  /// The database, whose id must still be `database_id`.
  const nlsDataBase* database;
  /// The translation, or its first form; null: the question has none (the
  /// caller's own text answers).
  const char* answer;

  std::uint64_t database_id;
  const nlsCatalogue* catalogue;  ///< where `answer` was found
  // The texts the caller's pointers held, compared unless `fixed`.
  const char* original;       ///< the entry's original (key first); null: the answer is not the entry's
  const char* entry_plural;   ///< the entry's own plural text, for a plural
  const char* database_name;  ///< for a translator's question
  std::uint32_t message;      ///< the entry in `catalogue`
  // A plural's forms, read on its first hit: a place that is never hit
  // again (more messages than places) costs no more than its key.
  std::uint16_t form_at[5];  ///< where forms 1 to 5 start, past `answer`
  std::uint16_t forms_ok;    ///< bit i: form i answers
  std::uint8_t forms;        ///< how many; 0: not read yet; kManyForms: more than a place holds
  std::uint8_t kind;
  /// Every pointer of the question is the program's own text: the same
  /// pointer is the same text.
  bool fixed;
  /// The answer of a singular holds no '%': shown as it is, unread.
  bool plain;
};
static_assert(sizeof(Place) == 128, "a place is two cache lines");

/// The database a translator last found for a name, by the caller's
/// pointer: a message without a place of its own is mostly of a database
/// asked just before.
struct NamePlace {
  std::uint64_t owner;
  const char* name;
  const utStringnlsDataBasecoTablePrgcoPrgcoTable::Entry* entry;
  bool fixed;  ///< `name` is the program's own text
};

/// 64 sets of 4 places, 32 KB a thread: a server's few hundred messages
/// mostly keep theirs, and a request that turns through them finds no set
/// fuller than its ways as often as with fewer. A set keeps the last 4
/// remembered there. Beside them, a name place for each of 8 translators.
constexpr int kSetBits = 6, kSets = 1 << kSetBits, kWays = 4, kNames = 8;
struct Places {
  Place sets[kSets][kWays];
  NamePlace names[kNames];
};
static_assert(std::is_trivial<Places>::value, "a thread's places need no construction");

inline Place* set_of(Places& mine, const Question& q) {
  // One message asked in two grammars (a typed call's and the engine's)
  // mostly lands in two sets.
  const std::uint64_t h = (reinterpret_cast<std::uintptr_t>(q.text) ^ reinterpret_cast<std::uintptr_t>(q.narrow) ^
                           q.owner ^ q.kind) *
                          0x9e3779b97f4a7c15u;
  return mine.sets[h >> (64 - kSetBits)];
}

/// Whether `original` ("context\004text", or "text") is the key of `text`
/// in `context`.
inline bool is_key(const char* original, const char* context, const char* text) {
  if (context != nullptr) {
    const std::size_t c = std::strlen(context);
    if (std::strncmp(original, context, c) != 0 || original[c] != '\004') return false;
    original += c + 1;
  }
  return std::strcmp(original, text) == 0;
}

/// The pointers of `q` may hold other texts now than when `p` was
/// remembered: the texts decide.
inline bool same_texts(const Place& p, const Question& q) {
  if (q.name != nullptr && std::strcmp(q.name, p.database_name) != 0) return false;
  if (p.original == nullptr) return true;
  if (!is_key(p.original, q.context, q.text)) return false;
  return q.plural == nullptr || std::strcmp(q.plural, p.entry_plural) == 0;
}

}  // namespace nls_places

/// What the library's lookups read of a database beyond its public calls.
struct nlsDataBaseLookup {
  /// The database's id after trying again what asks for it.
  static std::uint64_t current(const nlsDataBase& db) {
    if (db.again_.load(std::memory_order_relaxed) != 0) db.try_again();
    return db.id_.load(std::memory_order_acquire);
  }
  /// Whether places remembered under `id` still hold: no catalogue joined
  /// since, and none came to wait for a retry (either renews the id).
  static bool unchanged(const nlsDataBase& db, std::uint64_t id) {
    return db.id_.load(std::memory_order_acquire) == id;
  }
  /// Whether no candidate waits to be tried again: only then are places
  /// remembered, read after the id they are remembered under.
  static bool quiet(const nlsDataBase& db) { return db.again_.load(std::memory_order_relaxed) == 0; }
  /// Whether every candidate was tried, none is to be tried again and none
  /// loaded: nothing is ever found.
  static bool settled_empty(const nlsDataBase& db) {
    return db.next_.load(std::memory_order_acquire) >= db.candidates_.size() && quiet(db) &&
           db.domain() == nullptr;
  }
  /// The answer to `query` from the first catalogue with one; `found`
  /// tells where, when that catalogue is the first holding the entry.
  static const char* search(const nlsDataBase& db, const nlsQuery& query, nls_places::Found* found);
};

namespace nls_places {

/// The place in `set` keyed as `q` is, or null; not yet known to hold.
inline Place* keyed_as(Place* set, const Question& q) {
  for (int i = 0; i < kWays; ++i) {
    Place& p = set[i];
    if (p.owner == q.owner && p.text == q.text && p.name == q.name && p.context == q.context &&
        p.plural == q.plural && p.narrow == q.narrow && p.kind == q.kind)
      return &p;
  }
  return nullptr;
}

/// Whether no catalogue joined `p`'s database since it was remembered.
inline bool current(const Place& p) { return nlsDataBaseLookup::unchanged(*p.database, p.database_id); }

/// The place in `set` that answers `q`, or null.
inline Place* match(Place* set, const Question& q) {
  Place* p = keyed_as(set, q);
  return p != nullptr && (p->fixed || same_texts(*p, q)) && current(*p) ? p : nullptr;
}

/// Form `index` of the plural `p` answers with; null where its catalogue
/// gives none (a later one may).
inline const char* form_of(const Place& p, unsigned long index) {
  if (index >= p.forms) index = 0;  // past the last form: the first, as the C library does
  if ((p.forms_ok >> index & 1u) == 0) return nullptr;
  return index == 0 ? p.answer : p.answer + p.form_at[index - 1];
}

/// Reads the forms of the plural `p`, on its first hit.
void read_forms(Place& p);
/// The answer of the plural `p` for the count `n` from its catalogue
/// itself: for more forms than a place holds.
const char* answer_again(const Place& p, unsigned long n);

/// `p`'s answer for the count `n`; null where its catalogue gives none.
inline const char* answer_for(Place& p, unsigned long n) {
  if ((p.kind & kPlural) == 0) return p.answer;
  if (p.forms == 0) read_forms(p);
  if (p.forms == kManyForms) return answer_again(p, n);
  return form_of(p, p.catalogue->plural_rule_->form(n));
}

/// Remembers in `set` that `found` answers `q`; nothing where the caller's
/// plural is not the entry's own (a stale catalogue: its verdicts are the
/// catalogue's to keep).
void remember(Place* set, const Question& q, const Found& found, const char* answer, const nlsDataBase* database,
              std::uint64_t database_id, const char* database_name);

/// Remembers in `set` that `q` has no answer in `database`, whose name is
/// `name`.
void remember_none(Place* set, const Question& q, const nlsDataBase* database, std::uint64_t database_id,
                   const char* name);

}  // namespace nls_places

#endif  // NLS_ANSWER_PLACES_H
