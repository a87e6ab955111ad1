// Message databases over compiled gettext catalogues (.mo files).
#ifndef NLS_NLS_H
#define NLS_NLS_H

#include "ut/ut_string.h"

/// One catalogue file loaded into memory and validated.
class nlsLoadedDomain {
 public:
  /// The translation of `text`, or `text` itself when there is none.
  const char* translate(const char* text) const;
};

/// A message database: `source` is a catalogue directory (or a `:`-separated
/// list of them), `name` the domain. A file that is missing or malformed
/// leaves the database without a loaded domain.
class nlsDataBase {
 public:
  nlsDataBase(const char* source, const char* name);
  ~nlsDataBase();
  nlsDataBase(const nlsDataBase&) = delete;
  nlsDataBase& operator=(const nlsDataBase&) = delete;

  /// The loaded domain, or null.
  nlsLoadedDomain* domain() const { return domain_; }

  /// The domain's translation of `text`, or `text` without a domain.
  const char* operator[](const char* text) const;

 private:
  nlsLoadedDomain* domain_;
};

/// Owning pointer to a database; assignment moves ownership.
class nlsDataBasecoTablePrgcoPrg {
 public:
  nlsDataBasecoTablePrgcoPrg() : ptr_(nullptr) {}
  explicit nlsDataBasecoTablePrgcoPrg(nlsDataBase* ptr) : ptr_(ptr) {}
  ~nlsDataBasecoTablePrgcoPrg() { delete_ptr(); }

  /// Takes `other`'s database and leaves `other` empty, though it is const.
  void operator=(const nlsDataBasecoTablePrgcoPrg& other);
  operator nlsDataBase*() const { return ptr_; }  // NOLINT(google-explicit-constructor)

 private:
  void delete_ptr();
  mutable nlsDataBase* ptr_;
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

#endif  // NLS_NLS_H
