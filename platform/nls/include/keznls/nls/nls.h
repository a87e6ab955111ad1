// Message databases over compiled gettext catalogues (.mo files).
#ifndef KEZNLS_NLS_NLS_H
#define KEZNLS_NLS_NLS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "keznls/ut/ut_string.h"

class nlsPluralRule;

/// A text to look up, with its length and hash worked out once for every
/// catalogue a lookup asks.
struct nlsKey {
  explicit nlsKey(const char* text);
  const char* text;
  std::size_t length;
  std::uint64_t hash;
};

/// One catalogue file loaded into memory and validated. A catalogue in
/// another charset than UTF-8 has its translations converted when loaded.
class nlsLoadedDomain {
 public:
  /// Validates a whole .mo image and keeps a copy of it; null when the image
  /// is malformed, with the reason in `problem` when given. Never throws
  /// for bad data.
  static nlsLoadedDomain* from_bytes(const void* bytes, std::size_t size,
                                     std::string* problem = nullptr);
  /// Reads and validates the file at `path`; null when it is missing,
  /// unreadable or malformed, with the reason in `problem` when given.
  static nlsLoadedDomain* from_file(const char* path, std::string* problem = nullptr);

  ~nlsLoadedDomain();
  nlsLoadedDomain(const nlsLoadedDomain&) = delete;
  nlsLoadedDomain& operator=(const nlsLoadedDomain&) = delete;

  /// The translation of `text`, or null when there is none. A plural entry
  /// gives its first form; an empty translation counts as none, and so does
  /// one whose conversions read other arguments than its original's (a
  /// `%s` for a `%d`, one conversion more, a `%n`): the catalogue is data
  /// from outside the program, and no formatter survives those.
  const char* find(const nlsKey& key) const;
  const char* find(const char* text) const { return find(nlsKey(text)); }
  /// The form for count `n` of the plural entry found by its singular
  /// `key`, chosen by the catalogue's `Plural-Forms` (form 0 when the entry
  /// has fewer forms); null when there is none. A form that is empty, or
  /// reads other arguments than a leading part of the original plural's,
  /// counts as none.
  const char* find_plural(const nlsKey& key, unsigned long n) const;
  /// The translation of `text`, or `text` itself when there is none.
  const char* translate(const char* text) const {
    const char* found = find(text);
    return found != nullptr ? found : text;
  }

  /// Number of messages, the header not counted.
  std::size_t size() const;
  /// Checks every translation (see `find`): how many are refused, and the
  /// first of them with its original, e.g. "\"Summe: %d\" for \"Total: %.2f\"".
  std::size_t refused(std::string* first) const;
  /// The charset the translations were converted from; empty for UTF-8.
  const std::string& converted_from() const { return converted_from_; }
  /// Why the header's plural rule was passed over for the rule `n != 1`
  /// though the header has one ("malformed plural expression at 31"), or
  /// empty.
  std::string plural_rule_problem() const;

 private:
  struct Message {
    std::uint32_t original_length;
    std::uint32_t original_offset;
    std::uint32_t translation_length;
    std::uint32_t translation_offset;
    std::uint32_t key_length;  // of the original up to its first NUL (a plural's singular)
  };

  friend class nlsDataBase;  // keeps the messages its last lookups found

  nlsLoadedDomain() = default;
  /// Takes over `bytes` (from new[]), deleting it when the image is malformed.
  static nlsLoadedDomain* adopt(char* bytes, std::size_t size, std::string* problem);
  const char* validate();
  bool convert_to_utf8(std::string* problem);
  // The lookup helpers below marked inline are defined in mo_lookup.cpp,
  // where every lookup uses them.

  /// Message `m`'s translation, or null when it is empty or unusable.
  inline const char* translation_of(const Message& m) const;
  /// Message `m`'s form for count `n`, or null when it is empty or unusable.
  inline const char* form_of(const Message& m, unsigned long n) const;
  /// Whether `text` is message `m`'s key.
  bool holds_key(const Message& m, const char* text) const {
    return std::strncmp(text, bytes_ + m.original_offset, m.key_length) == 0 && text[m.key_length] == '\0';
  }
  /// Whether message `m`'s translation reads the arguments its original
  /// reads; decided on first use, then remembered.
  inline bool usable(const Message& m) const;
  /// The same for form `form` of a plural translation.
  inline bool usable_form(const Message& m, unsigned form) const;
  /// Message `m`'s verdict (see verdicts_) with `part`, the whole
  /// translation or its forms, decided.
  inline std::uint16_t verdict(const Message& m, std::uint16_t part) const;
  /// Decides `part` of message `m`'s verdict; the verdict.
  std::uint16_t judge(const Message& m, std::uint16_t part) const;
  void read_plural_rule();
  /// The header entry (the empty original), or null.
  const Message* header() const { return locate(nlsKey("")); }
  void build_index();
  /// The index_ slot holding `key` (its hash given), or the empty one
  /// where it would go.
  std::size_t slot_of(const char* key, std::size_t length, std::uint64_t hash) const;
  const Message* locate(const nlsKey& key) const;

  char* bytes_ = nullptr;
  std::size_t size_ = 0;
  std::vector<Message> messages_;
  // Our own hash table of the keys, at most half full, probed linearly;
  // each slot holds the high half of its key's hash, so a probe rejects
  // most other keys without touching them.
  struct Slot {
    std::uint32_t message;  // index + 1; 0 when empty
    std::uint32_t tag;
  };
  std::vector<Slot> index_;
  std::size_t mask_ = 0;
  std::string converted_from_;
  std::unique_ptr<const nlsPluralRule> plural_rule_;
  // Per message: whether the translation is usable as a whole (two bits),
  // whether its plural forms have been checked, and which are usable.
  mutable std::vector<std::uint16_t> verdicts_;
};

/// A message database: `source` is a catalogue directory (or a `:`-separated
/// list of them), `name` the domain. It keeps every catalogue the user's
/// language list finds, most wanted first, and a lookup falls through them
/// message by message. The first is loaded when the database is made, the
/// others when a lookup first needs them; files that are missing or
/// malformed are passed over. One thread at a time.
class nlsDataBase {
 public:
  nlsDataBase(const char* source, const char* name);
  ~nlsDataBase();
  nlsDataBase(const nlsDataBase&) = delete;
  nlsDataBase& operator=(const nlsDataBase&) = delete;

  /// The first catalogue found, or null when there is none.
  nlsLoadedDomain* domain() const { return domain_; }

  /// The translation of `key` (a text, or a context, "\004" and a text)
  /// in the first catalogue that has one; null when none has.
  const char* find(const char* key) const;
  /// The form for count `n` of the plural entry found by its singular
  /// `key`, from the first catalogue that has one; null when none has.
  const char* find_plural(const char* key, unsigned long n) const;
  /// The translation of `text`, or `text` itself.
  const char* operator[](const char* text) const {
    const char* found = find(text);
    return found != nullptr ? found : text;
  }

  /// What the language list and every candidate file came to, one line
  /// each, in the order tried; tries the files not tried yet.
  std::string explain() const;

 private:
  struct Candidate {
    std::string path;
    std::string outcome;                      // empty until tried
    const nlsLoadedDomain* domain = nullptr;  // once loaded, one of loaded_
  };

  using Message = nlsLoadedDomain::Message;
  /// Where a lookup of the text at `text` found its answer last time.
  struct Recent {
    const char* text = nullptr;
    const nlsLoadedDomain* domain = nullptr;
    const Message* message = nullptr;
  };

  /// The first answer of `answer(domain, message)` for `key` in the
  /// catalogues, loading the ones not tried yet as they are reached; null
  /// when none has one. Remembers where it was found for the caller's
  /// pointer `key`.
  template <typename Answer>
  const char* first_found(const char* key, Answer answer) const;
  /// first_found() past the remembered place: out of line, so the usual
  /// lookup's frame stays small.
  template <typename Answer>
  const char* search(const char* key, Answer answer) const;
  /// Where `key`'s last place is kept; inline, in mo_lookup.cpp.
  inline Recent& recent(const char* key) const;
  /// Tries the next candidate; its catalogue, or null.
  const nlsLoadedDomain* open_next() const;

  mutable std::vector<Candidate> candidates_;
  std::vector<std::string> notes_;
  mutable std::vector<std::unique_ptr<nlsLoadedDomain>> loaded_;  // in the order found
  nlsLoadedDomain* domain_ = nullptr;  // the first of loaded_
  mutable std::size_t next_ = 0;       // first candidate not tried yet
  // Programs print the same messages again and again: a pointer and a
  // compare of the text find them again faster than a hashed lookup.
  mutable Recent recent_[16];
};

/// Owning pointer to a database; assignment moves ownership.
class nlsDataBasecoTablePrgcoPrg {
 public:
  nlsDataBasecoTablePrgcoPrg() : ptr_(nullptr) {}
  explicit nlsDataBasecoTablePrgcoPrg(nlsDataBase* ptr) : ptr_(ptr) {}
  ~nlsDataBasecoTablePrgcoPrg() { delete_ptr(); }
  // Copying would leave two owners of one database.
  nlsDataBasecoTablePrgcoPrg(const nlsDataBasecoTablePrgcoPrg&) = delete;

  /// Takes `other`'s database and leaves `other` empty, though it is const.
  void operator=(const nlsDataBasecoTablePrgcoPrg& other);
  operator nlsDataBase*() const { return ptr_; }  // NOLINT(google-explicit-constructor)

 private:
  void delete_ptr();
  mutable nlsDataBase* ptr_;
};

/// Table from database names (compared by text) to the databases they own.
class utStringnlsDataBasecoTablePrgcoPrgcoTable {
 public:
  /// An empty table; the sizing pair is a hint kept for compatibility.
  utStringnlsDataBasecoTablePrgcoPrgcoTable(int initial_size, int grow_percent);
  /// Destroys every value, so every database.
  ~utStringnlsDataBasecoTablePrgcoPrgcoTable();
  utStringnlsDataBasecoTablePrgcoPrgcoTable(const utStringnlsDataBasecoTablePrgcoPrgcoTable&) = delete;
  utStringnlsDataBasecoTablePrgcoPrgcoTable& operator=(
      const utStringnlsDataBasecoTablePrgcoPrgcoTable&) = delete;

  /// The value of `key`, inserting an empty one when the key is new. The
  /// reference stays valid until the table is destroyed.
  nlsDataBasecoTablePrgcoPrg& operator[](const utString& key);
  using Entry = std::pair<const utString, nlsDataBasecoTablePrgcoPrg>;
  /// The entry of `key`, or null when the key is absent; makes no key. An
  /// entry lives as long as the table.
  const Entry* find(const char* key) const;
  /// Number of keys.
  int size() const { return static_cast<int>(entries_.size()); }

 private:
  // Byte order, as utString::compare and strcmp agree on; also between a
  // key and a plain text, so a lookup needs no key made.
  struct ByText {
    using is_transparent = void;
    bool operator()(const utString& a, const utString& b) const { return a.compare(b) < 0; }
    bool operator()(const utString& a, const char* b) const { return std::strcmp(a.c_str(), b) < 0; }
    bool operator()(const char* a, const utString& b) const { return std::strcmp(a, b.c_str()) < 0; }
  };
  std::map<utString, nlsDataBasecoTablePrgcoPrg, ByText> entries_;
};

/// Process-wide switches of the catalogue layer.
class nlsDomainManager {
 public:
  /// Sets the numeric-translation switch; returns its previous value.
  static int numeric_translation(int on);
};

class nlsUtils {
 public:
  /// The current locale's decimal point (its first character).
  static char lookup_decimal_point();
};

#endif  // KEZNLS_NLS_NLS_H
