// The translator that looks message texts up in message databases.
#ifndef KEZNLS_TRANSLATOR_H
#define KEZNLS_TRANSLATOR_H

#include "keznls/roles.h"
#include "keznls/nls/nls.h"
#include "keznls/ut/ut_string.h"

/// Opens one message database per name on first use and keeps it for its
/// own lifetime. The name "DO_NOT_TRANSLATE" bypasses translation.
class keznlsTranslatorWithDatabases : public keznlsTranslator {
 public:
  /// `source` is handed unchanged to every database this translator opens.
  explicit keznlsTranslatorWithDatabases(utString source);
  /// The translation of `text` in database `name`, or `text` itself.
  utString translate(const char* name, const char* text) override;
  /// Destroys every database it opened.
  ~keznlsTranslatorWithDatabases() override;

  /// The form for `n` of the plural entry of `singular`, chosen by the
  /// catalogue's `Plural-Forms`; untranslated, `n == 1 ? singular : plural`.
  utString translate_plural(const char* name, const char* singular, const char* plural,
                            unsigned long n) override;
  /// The translation of the entry of `text` in `context` (msgctxt), or `text`.
  utString translate_in_context(const char* name, const char* context, const char* text) override;
  utString translate_plural_in_context(const char* name, const char* context, const char* singular,
                                       const char* plural, unsigned long n) override;
  /// The calls' answer from the catalogue's own memory, for this class
  /// itself (null for a class derived from it).
  const char* borrow_translation(const char* name, const char* context, const char* text,
                                 const char* plural, unsigned long n) override;

  /// Why `name` translates as it does: the language list, then every
  /// catalogue file tried for it, in order, with what became of it
  /// ("loaded, 412 messages", "missing", "malformed: ..."). One line each.
  utString explain(const char* name);

 private:
  // database() and answer() are inline (in translator_with_databases.cpp):
  // every message passes there.

  /// The database of `name`, opened on first use; null for the name
  /// "DO_NOT_TRANSLATE" and when it could not be allocated.
  inline const nlsDataBase* database(const char* name);
  /// database() for a name other than the last one's.
  const nlsDataBase* open(const char* name);
  /// What every call asks: the entry of `text` (in `context` unless null),
  /// its form for `n` when `plural` is not null; the text to use, from the
  /// catalogue or the caller's.
  inline const char* answer(const char* name, const char* context, const char* text, const char* plural,
                            unsigned long n);

  using Entry = utStringnlsDataBasecoTablePrgcoPrgcoTable::Entry;

  utString source_;
  utStringnlsDataBasecoTablePrgcoPrgcoTable databases_;
  const Entry* last_ = nullptr;  // the entry the last message used
};

#endif  // KEZNLS_TRANSLATOR_H
