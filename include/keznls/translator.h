/// \file
/// The translator that looks message texts up in message databases.
#ifndef KEZNLS_TRANSLATOR_H
#define KEZNLS_TRANSLATOR_H

#include "keznls/export.h"

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "keznls/roles.h"
#include "keznls/ut/ut_string.h"

/// What a translator found for a database, for a program to act on (a
/// server refusing to start, a log line) rather than read.
struct KEZNLS_API keznlsCatalogueStatus {
  bool folder_exists = false;  ///< some folder of the catalogue source is a folder
  /// Some folder holds a catalogue of the database in one of the
  /// translator's languages; false: every message comes out as written.
  bool has_catalogue = false;
  /// Some folder holds a catalogue of the database in any language at all
  /// (`<folder>/<language>/LC_MESSAGES/<name>.mo`), whether or not asked.
  bool any_language = false;
  std::string language;  ///< the first catalogue's language folder ("de_AT"), or empty
  /// True when messages will be translated.
  explicit operator bool() const { return has_catalogue; }
};

/// Opens one message database per name on first use and keeps it for its
/// own lifetime. The name "DO_NOT_TRANSLATE" bypasses translation.
///
/// Shared by threads: every call may run from any number of threads at
/// once, the first use of a name included, with no lock held by the caller.
/// Each catalogue file is loaded once per process and shared by every
/// translator that needs it.
class KEZNLS_API keznlsTranslatorWithDatabases : public keznlsTranslator {
  // The text types the constructors take, for the templates below.
  template <class T>
  static constexpr bool is_std_text() {
    return std::is_same_v<T, std::string> || std::is_same_v<T, std::string_view>;
  }
  template <class T>
  static constexpr bool is_text() {
    return is_std_text<T>() || std::is_same_v<T, utString> || std::is_convertible_v<const T&, const char*>;
  }
  static std::string_view view(const char* text) { return text != nullptr ? text : ""; }
  static std::string_view view(const utString& text) { return view(text.c_str()); }
  static std::string_view view(std::string_view text) { return text; }
  static std::string_view view(const std::string& text) { return text; }

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
  /// The program's `languages` as above, its original texts being in
  /// `source_language` ("en", "de"): the list stops there. An entry in that
  /// language uses a catalogue of its own country or variant when there is
  /// one ("en_GB"), then the originals answer: `en_US:en:fr` never reaches
  /// French. The two-argument forms take English.
  keznlsTranslatorWithDatabases(std::string_view source, std::string_view languages,
                                std::string_view source_language);
  /// `source` as a `std::string` or `std::string_view`.
  template <class Text, class = std::enable_if_t<std::is_convertible_v<const Text&, std::string_view> &&
                                                 !std::is_convertible_v<const Text&, const char*>>>
  explicit keznlsTranslatorWithDatabases(const Text& source)
      : keznlsTranslatorWithDatabases(utString(std::string(std::string_view(source)).c_str())) {}
  /// `source` and `languages` in any mix of the text types, one of them a
  /// `std::string` or `std::string_view`; the originals are in English.
  template <class Source, class Languages,
            class = std::enable_if_t<(is_std_text<Source>() || is_std_text<Languages>()) &&
                                     is_text<Source>() && is_text<Languages>()>>
  keznlsTranslatorWithDatabases(const Source& source, const Languages& languages)
      : keznlsTranslatorWithDatabases(view(source), view(languages), std::string_view("en")) {}
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

  /// The language of the program's original texts ("en" unless given).
  const std::string& source_language() const;
  /// The language folder of the catalogue that answers `message` through
  /// this translator ("de_AT", or "de" where the list fell back to it), or
  /// the source language when the original is used. Costs a lookup per
  /// catalogue tried: ask it when numbers or a label must match the text.
  std::string answered_language(const keznlsMessage& message);
  /// The same for a plain message.
  std::string answered_language(const char* name, const char* text);
  /// The language most messages of database `name` come in: its first
  /// catalogue's, or the source language when it has none.
  std::string language(const char* name);
  /// Whether the folder exists and holds a catalogue for database `name`.
  keznlsCatalogueStatus status(const char* name);

 private:
  friend struct keznlsTranslatorLending;  // the library's pipeline

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

#endif  // KEZNLS_TRANSLATOR_H
