/// \file
/// Translators for requests: one shared translator per language list, made
/// on first use, found from any thread in one call.
#ifndef KEZNLS_TRANSLATOR_SET_H
#define KEZNLS_TRANSLATOR_SET_H

#include "keznls/export.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "keznls/locale_formatter.h"
#include "keznls/output.h"
#include "keznls/roles.h"
#include "keznls/translator.h"

/// What a `keznlsTranslatorSet` is made with beside its folder and database.
struct KEZNLS_API keznlsTranslatorSetOptions {
  /// The language of the program's original texts: every list stops there.
  std::string source_language = "en";
  /// At most this many language lists get translators of their own.
  std::size_t capacity = 64;
  /// Where the entries' `helper()` displays; null: standard output.
  keznlsDisplayer* displayer = nullptr;
  /// What every entry formats with, borrowed (for a program whose messages
  /// show no numbers in the reader's conventions, `keznlsFormatterSimple`);
  /// null: each entry's `numbers()`.
  keznlsFormatter* formatter = nullptr;
};

/// One language list's translator, with what formats and shows its
/// messages. Made once by its set and never changed: shared by threads, and
/// valid as long as the set.
class KEZNLS_API keznlsTranslatorSetEntry {
 public:
  /// The translator over the list.
  keznlsTranslatorWithDatabases& translator() const { return *translator_; }
  /// What the entry's `text()` and `helper()` format with: `numbers()`,
  /// unless the set was given a formatter of its own.
  keznlsFormatter& formatter() const { return *formatter_; }
  /// Numbers in the conventions of the language that answers (see
  /// `number_locale()`).
  keznlsFormatterNamedLocale& numbers() const { return *numbers_; }
  /// Translate and format into a string: a server's response text.
  const keznlsTranslatorAndFormatter& text() const { return *text_; }
  /// Translate, format and display through the set's displayer. For a
  /// displayer of the request's own, make a `keznlsHelper` over
  /// `translator()` and `formatter()`: three pointers, nothing allocated.
  keznlsHelper& helper() const { return *helper_; }

  /// The language list the translator was made with ("de_CH:de"); empty
  /// when the originals answer every message.
  const std::string& languages() const { return languages_; }
  /// The language the set's database answers in: its first catalogue's
  /// folder ("de"), or the source language when there is none.
  const std::string& language() const { return language_; }
  /// The locale whose numbers `numbers()` writes: the most specific name
  /// of the list in `language()` ("de_CH" for "de_CH:de" answered by "de"),
  /// else `language()` itself.
  const std::string& number_locale() const { return numbers_->locale(); }

  ~keznlsTranslatorSetEntry();
  keznlsTranslatorSetEntry(const keznlsTranslatorSetEntry&) = delete;
  keznlsTranslatorSetEntry& operator=(const keznlsTranslatorSetEntry&) = delete;

 private:
  friend class keznlsTranslatorSet;
  keznlsTranslatorSetEntry() = default;

  std::string languages_;
  std::string language_;
  std::unique_ptr<keznlsTranslatorWithDatabases> translator_;
  keznlsFormatterNamedLocale* numbers_ = nullptr;  // the set's, shared by entries of one locale
  keznlsFormatter* formatter_ = nullptr;           // numbers_, or the set's options.formatter
  std::unique_ptr<keznlsTranslatorAndFormatter> text_;
  std::unique_ptr<keznlsHelper> helper_;
};

/// The translators of a multilingual server: one per language list, for
/// database `database` in catalogue folder `source`. Any thread asks with
/// a request's `Accept-Language` header or a language list and gets the
/// shared entry in one call; the first call for a list makes its
/// translator, under a lock that calls for known lists never take.
///
/// Bounded, fixed: at most `capacity` lists get entries, kept until the set
/// goes, so an entry is used with no count or lock. A list past that uses
/// the entry of its first language alone when there is one, else the
/// originals' entry, which the set makes at once. Headers seen before
/// (at most `8 * capacity` or so, each up to 256 bytes) find their entry
/// without being read again; others are read each time.
class KEZNLS_API keznlsTranslatorSet {
 public:
  /// An empty set but for the originals' entry; `source` is a catalogue
  /// folder (or a `:`-separated list of them) as a translator takes it.
  keznlsTranslatorSet(std::string_view source, std::string_view database,
                      const keznlsTranslatorSetOptions& options = keznlsTranslatorSetOptions());
  ~keznlsTranslatorSet();
  keznlsTranslatorSet(const keznlsTranslatorSet&) = delete;
  keznlsTranslatorSet& operator=(const keznlsTranslatorSet&) = delete;

  /// The entry for an HTTP `Accept-Language` value ("de-CH, fr;q=0.8").
  keznlsTranslatorSetEntry& for_header(std::string_view accept_language);
  /// The entry for a `:`-separated list read as LANGUAGE is ("de_CH:de").
  keznlsTranslatorSetEntry& for_languages(std::string_view languages);

  /// Lists with entries of their own, the originals' included.
  std::size_t size() const;
  /// The most lists that get entries of their own.
  std::size_t capacity() const;
  /// Whether the folder exists and holds catalogues of the database.
  keznlsCatalogueStatus status() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

#endif  // KEZNLS_TRANSLATOR_SET_H
