/// \file
/// Message databases over compiled gettext catalogues (.mo files).
///
/// Threads: a loaded catalogue and a database are shared by any number of
/// threads. What a lookup learns on first use (an entry's soundness, its
/// conversion to UTF-8, its verdicts, the catalogues further down a
/// language list) is published with atomics, or under a lock taken only
/// then; a lookup that finds what it found before writes nothing shared.
#ifndef KEZNLS_NLS_NLS_H
#define KEZNLS_NLS_NLS_H

#include "keznls/export.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "keznls/ut/ut_string.h"

/// A grammar narrower than C's printf that a formatter reads: whether it
/// shows `format` without an error marker. One such function serves a
/// process (the library engine's); verdicts on it are kept per entry.
using nlsFormatFilter = bool (*)(const char* format);

/// One lookup.
struct KEZNLS_API nlsQuery {
  /// A plain lookup of `key_text`.
  explicit nlsQuery(const char* key_text) : key(key_text) {}
  const char* key;                    ///< a text, or a context, "\004" and a text
  bool plural = false;                ///< the form for `n` of a plural entry is asked
  unsigned long n = 0;                ///< the count a plural form is asked for
  /// The caller's own plural text, which the form stands in for; null:
  /// the entry's msgid_plural.
  const char* plural_text = nullptr;
  /// The formatter's narrower grammar, or null for C's printf: a
  /// translation it cannot show, while it shows the original, counts as none.
  nlsFormatFilter narrow = nullptr;
  /// The translation as the catalogue holds it, unchecked against its
  /// original: for a caller that checks it against its own arguments.
  bool unchecked = false;
};

/// A query for the form for count `n` of the plural entry found by its
/// singular `key`, checked against the entry's own msgid_plural.
inline nlsQuery nls_plural_query(const char* key, unsigned long n) {
  nlsQuery query(key);
  query.plural = true;
  query.n = n;
  return query;
}

/// What a whole-catalogue check found (see `nlsLoadedDomain::audit`).
struct KEZNLS_API nlsAudit {
  std::size_t malformed = 0;  ///< entries whose strings lie outside the file
  std::string first_malformed;  ///< what was wrong with the first of them
  std::size_t refused = 0;    ///< translations reading other arguments
  std::string first_refused;  ///< e.g. "\"Summe: %d\" for \"Total: %.2f\""
  std::size_t narrow = 0;     ///< translations the narrow grammar cannot show
  std::string first_narrow;   ///< the first of them, as `first_refused` names one
  std::string table_problem;  ///< what is wrong with the file's hash table
  std::size_t unread = 0;     ///< entries that cannot be read (the file changed after opening)
};

/// One catalogue file in memory. Opening reads the file's header, tables
/// and header entry and checks them (a small file is read whole); each
/// other entry is read, checked and converted to UTF-8 when the catalogue
/// is in another charset, when a lookup first reaches it. An entry found
/// malformed then is passed over, as a file found malformed would be. No
/// descriptor is kept open: a file changed on disk after opening answers
/// only from what was read before the change. Shared between threads, and
/// between databases: one loaded copy of a file per process.
class KEZNLS_API nlsLoadedDomain {
 public:
  /// Checks a .mo image and keeps a copy of it; null when it is malformed,
  /// with the reason in `problem` when given. Never throws for bad data.
  static std::shared_ptr<const nlsLoadedDomain> from_bytes(const void* bytes, std::size_t size,
                                                           std::string* problem = nullptr);
  /// Reads and checks the file at `path`; null when it is missing,
  /// unreadable or malformed, with the reason in `problem` when given.
  static std::shared_ptr<const nlsLoadedDomain> from_file(const char* path, std::string* problem = nullptr);

  nlsLoadedDomain(const nlsLoadedDomain&) = delete;
  nlsLoadedDomain& operator=(const nlsLoadedDomain&) = delete;

  /// The answer to `query`, or null when there is none. An empty
  /// translation counts as none, and so does one whose conversions read
  /// other arguments than its original's (a `%s` for a `%d`, one
  /// conversion more, a `%n`): the catalogue is data from outside the
  /// program. A plural form may read a leading part of the arguments. A
  /// plain lookup of a plural entry gives its first form.
  const char* find(const nlsQuery& query) const;
  /// `find` of a plain lookup of `text`.
  const char* find(const char* text) const { return find(nlsQuery(text)); }
  /// The form for count `n` of the plural entry found by its singular `key`,
  /// chosen by the catalogue's `Plural-Forms`; form 0 past the last.
  const char* find_plural(const char* key, unsigned long n) const { return find(nls_plural_query(key, n)); }
  /// The translation of `text`, or `text` itself when there is none.
  const char* translate(const char* text) const {
    const char* found = find(text);
    return found != nullptr ? found : text;
  }

  /// Number of messages, the header not counted.
  std::size_t size() const;
  /// Checks every entry and translation now (what lookups do one entry at
  /// a time), with `narrow` as the narrower grammar when not null.
  nlsAudit audit(nlsFormatFilter narrow = nullptr) const;
  /// The charset the translations are converted from; empty for UTF-8.
  const std::string& converted_from() const;
  /// Why the header's plural rule was passed over for the rule `n != 1`
  /// though the header has one ("malformed plural expression at 31"), or
  /// empty.
  std::string plural_rule_problem() const;

 protected:
  // Made and destroyed as the library's own catalogue, whose state lives
  // in a private header.
  nlsLoadedDomain() = default;
  ~nlsLoadedDomain() = default;
};

/// A message database: `source` is a catalogue directory (or a `:`-separated
/// list of them), `name` the domain. It keeps every catalogue the language
/// list finds, most wanted first, and a lookup falls through them message
/// by message. The first is loaded when the database is made, the others
/// when a lookup first needs them; files that are missing or malformed are
/// passed over, and one that could not be read for want of descriptors or
/// memory is tried again by a later lookup. Any number of threads may look
/// up at once.
class KEZNLS_API nlsDataBase {
 public:
  /// Languages from the environment, as the C library's gettext takes them.
  nlsDataBase(const char* source, const char* name);
  /// Languages given by the program: `languages` is a `:`-separated list
  /// read as LANGUAGE is, used as given (neither the environment nor the
  /// process locale counts); "C" alone means no translation. Null: from the
  /// environment.
  nlsDataBase(const char* source, const char* name, const char* languages);
  /// The same, `source_language` ("en") being what the originals are written
  /// in: it ends the program's list (an entry in it is tried only in its
  /// forms more specific than the bare language, "en_GB").
  nlsDataBase(const char* source, const char* name, const char* languages, const char* source_language);
  ~nlsDataBase();
  nlsDataBase(const nlsDataBase&) = delete;
  nlsDataBase& operator=(const nlsDataBase&) = delete;

  /// The first catalogue found, or null when there is none.
  const nlsLoadedDomain* domain() const;

  /// The answer to `query` from the first catalogue that has one; null
  /// when none has.
  const char* find(const nlsQuery& query) const;
  /// `find` of a plain lookup of `key`.
  const char* find(const char* key) const { return find(nlsQuery(key)); }
  /// The form for count `n` of the plural entry found by its singular
  /// `key`, from the first catalogue that has one; null when none has.
  const char* find_plural(const char* key, unsigned long n) const { return find(nls_plural_query(key, n)); }
  /// The translation of `text`, or `text` itself.
  const char* operator[](const char* text) const {
    const char* found = find(text);
    return found != nullptr ? found : text;
  }

  /// Where the languages came from, then every candidate file, one line
  /// each, in the order tried, with what became of it; tries the files not
  /// tried yet and checks every entry of the loaded ones (`narrow` as in
  /// `nlsLoadedDomain::audit`).
  std::string explain(nlsFormatFilter narrow = nullptr) const;

  /// `find`, and the language folder ("de_AT") of the catalogue that gave
  /// the answer in `language`; `language` is left alone when none did. Asks
  /// the catalogues one by one: for a caller that needs to know, not for
  /// every message.
  const char* find(const nlsQuery& query, std::string* language) const;
  /// The language folder of the first catalogue found ("pt_BR"), or empty.
  std::string first_language() const;

 private:
  // The library's lookups through a translator, which keep the answers
  // found here in each thread's places.
  friend struct nlsDataBaseLookup;

  struct Candidate {
    std::string path;
    std::string outcome;  // written before the candidate counts as tried
    std::shared_ptr<const nlsLoadedDomain> domain;
    bool again = false;  // failed for want of descriptors or memory
  };

  void init(const char* source, const char* name, const char* languages, const char* source_language);
  /// The language folder of loaded catalogue `domain`, or empty.
  std::string language_of(const nlsLoadedDomain* domain) const;
  /// The answer in the catalogues past those the last lookup of `query.key`
  /// reached; loads the ones not tried yet as they are needed.
  const char* search(const nlsQuery& query, std::uint64_t id) const;
  /// Tries candidates until candidate `i` is tried; false when there is
  /// none. Takes the lock.
  bool load_next(std::size_t i) const;
  /// Tries candidate `i`, with the lock held.
  void try_locked(std::size_t i) const;
  /// Tries again the candidates that failed for want of descriptors or
  /// memory, unless another thread is loading.
  void try_again() const;

  // The candidates in order, fixed once made; each one's outcome and
  // catalogue are written with the lock held.
  mutable std::vector<Candidate> candidates_;
  std::vector<std::string> notes_;
  // Each candidate's catalogue once loaded, null before.
  std::unique_ptr<std::atomic<const nlsLoadedDomain*>[]> loaded_;
  // Tells this database's remembered places from others'; a new number
  // (never reused) when a catalogue tried again joins, which forgets them.
  mutable std::atomic<std::uint64_t> id_;
  mutable std::atomic<std::size_t> next_{0};   // first candidate not tried yet
  mutable std::atomic<std::size_t> again_{0};  // candidates to try again
  mutable std::mutex loading_;
};

/// Owning pointer to a database; assignment moves ownership.
class KEZNLS_API nlsDataBasecoTablePrgcoPrg {
 public:
  nlsDataBasecoTablePrgcoPrg() : ptr_(nullptr) {}
  /// Owns `ptr` (may be null) from now on.
  explicit nlsDataBasecoTablePrgcoPrg(nlsDataBase* ptr) : ptr_(ptr) {}
  ~nlsDataBasecoTablePrgcoPrg() { delete_ptr(); }
  // Copying would leave two owners of one database.
  nlsDataBasecoTablePrgcoPrg(const nlsDataBasecoTablePrgcoPrg&) = delete;

  /// Takes `other`'s database and leaves `other` empty, though it is const:
  /// the owner moves, as the table's callers expect of this assignment.
  void operator=(const nlsDataBasecoTablePrgcoPrg& other);
  /// The database owned, or null.
  operator nlsDataBase*() const { return ptr_; }  // NOLINT(google-explicit-constructor)

 private:
  void delete_ptr();
  mutable nlsDataBase* ptr_;
};

/// Table from database names (compared by text) to the databases they own.
/// Not shared between threads by itself: its owner serialises changes.
class KEZNLS_API utStringnlsDataBasecoTablePrgcoPrgcoTable {
 public:
  /// An empty table; the sizing pair is a hint kept for compatibility.
  utStringnlsDataBasecoTablePrgcoPrgcoTable(int initial_size, int grow_percent);
  /// Destroys every value, so every database.
  ~utStringnlsDataBasecoTablePrgcoPrgcoTable();
  utStringnlsDataBasecoTablePrgcoPrgcoTable(const utStringnlsDataBasecoTablePrgcoPrgcoTable&) = delete;
  utStringnlsDataBasecoTablePrgcoPrgcoTable& operator=(const utStringnlsDataBasecoTablePrgcoPrgcoTable&) = delete;

  /// The value of `key`, inserting an empty one when the key is new. The
  /// reference stays valid until the table is destroyed.
  nlsDataBasecoTablePrgcoPrg& operator[](const utString& key);
  /// A name and the database it owns.
  using Entry = std::pair<const utString, nlsDataBasecoTablePrgcoPrg>;
  /// The entry of `key`, or null when the key is absent; makes no key. An
  /// entry lives as long as the table.
  const Entry* find(const char* key) const;
  /// Number of keys.
  int size() const { return static_cast<int>(entries_.size()); }

 private:
  // In byte order of the keys, as strcmp orders them; each entry on its
  // own, so that it stays where it is when others come.
  std::vector<std::unique_ptr<Entry>> entries_;
};

/// Process-wide switches of the catalogue layer.
class KEZNLS_API nlsDomainManager {
 public:
  /// Sets the numeric-translation switch; returns its previous value.
  static int numeric_translation(int on);
};

/// Locale queries of the catalogue layer.
class KEZNLS_API nlsUtils {
 public:
  /// The current locale's decimal point (its first character).
  static char lookup_decimal_point();
};

#endif  // KEZNLS_NLS_NLS_H
