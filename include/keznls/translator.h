/// \file
/// The translator that looks message texts up in message databases.
#ifndef KEZNLS_TRANSLATOR_H
#define KEZNLS_TRANSLATOR_H

#include "keznls/export.h"

#include "keznls/roles.h"
#include "keznls/ut/ut_string.h"

/// Opens one message database per name on first use and keeps it for its
/// own lifetime. The name "DO_NOT_TRANSLATE" bypasses translation.
///
/// Shared by threads: every call may run from any number of threads at
/// once, the first use of a name included, with no lock held by the caller.
/// Each catalogue file is loaded once per process and shared by every
/// translator that needs it.
class KEZNLS_API keznlsTranslatorWithDatabases : public keznlsTranslator {
 public:
  /// `source` is handed unchanged to every database this translator opens:
  /// a catalogue folder, or a `:`-separated list of them. The languages
  /// come from the environment (LC_ALL, LC_MESSAGES, LANG, LANGUAGE) when a
  /// database name is first used.
  explicit keznlsTranslatorWithDatabases(utString source);
  /// The languages are `languages`, a `:`-separated list read as LANGUAGE is
  /// ("de_CH:de:fr"; each name tried from `ll_CC.codeset@mod` down to `ll`),
  /// used as given: neither the environment nor the process locale counts.
  /// "C" alone, or an empty list, means no translation.
  keznlsTranslatorWithDatabases(utString source, utString languages);
  /// The translation of `text` in database `name`, or `text` itself.
  utString translate(const char* name, const char* text) override;
  /// Destroys every database it opened.
  ~keznlsTranslatorWithDatabases() override;
  keznlsTranslatorWithDatabases(const keznlsTranslatorWithDatabases&) = delete;
  keznlsTranslatorWithDatabases& operator=(const keznlsTranslatorWithDatabases&) = delete;

  /// The form for `n` of the plural entry of `singular`, chosen by the
  /// catalogue's `Plural-Forms`; untranslated, `n == 1 ? singular : plural`.
  /// A form is used only when it reads a leading part of the arguments of
  /// `plural`, with the same types.
  utString translate_plural(const char* name, const char* singular, const char* plural,
                            unsigned long n) override;
  /// The translation of the entry of `text` in `context` (msgctxt), or `text`.
  utString translate_in_context(const char* name, const char* context, const char* text) override;
  /// Both at once.
  utString translate_plural_in_context(const char* name, const char* context, const char* singular,
                                       const char* plural, unsigned long n) override;
  /// The calls' answer from the catalogue's own memory, valid as long as
  /// this translator lives; null when a class derived from this one answers
  /// the copying call itself.
  const char* borrow_translation(const char* name, const char* context, const char* text,
                                 const char* plural, unsigned long n) override;
  /// The same, suited to `message.grammar`; the verdict is kept with the
  /// catalogue entry.
  const char* lend(const keznlsMessage& message) override;
  /// `keznls_kept_all`.
  unsigned keeps() const override;

  /// Why `name` translates as it does: where the languages came from, then
  /// every catalogue file tried for it, in order, with what became of it
  /// ("loaded, 412 messages", "missing", "malformed: ..."). One line each.
  utString explain(const char* name);

 private:
  struct Impl;
  Impl* impl_;
};

#endif  // KEZNLS_TRANSLATOR_H
