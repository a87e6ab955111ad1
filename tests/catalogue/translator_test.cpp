#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "catalogue_files.h"
#include "keznls/engine.h"
#include "keznls/locale.h"
#include "keznls/locale_formatter.h"
#include "keznls/output.h"
#include "keznls/translator.h"
#include "support/alloc_counter.h"

namespace {

using namespace test_catalogues;

std::string text(keznlsTranslator& translator, const char* name, const char* message) {
  return translator.translate(name, message).c_str();
}
int live(const alloc_counter::Scope& scope) { return scope.count() - scope.released(); }

TEST(TranslatorTest, OpensEachNamedDatabaseOnceAndReleasesThemAll) {
  set_language("LANG", "de");  // read when a database is opened
  // Catalogues under the reserved name, and under one differing only in case.
  const TempDirectory dir;
  dir.add("de", "DO_NOT_TRANSLATE", read("demo"));
  dir.add("de", "do_not_translate", read("demo"));
  // The process-wide list of loaded catalogues, made once, is not the translator's.
  keznlsTranslatorWithDatabases(utString(directory("first").c_str())).translate("demo", "Hello");
  const alloc_counter::Scope scope;
  auto* translator = new keznlsTranslatorWithDatabases(utString((directory("first") + ":" + dir.path()).c_str()));
  alloc_counter::fail_nothrow = true;
  const std::string failed = text(*translator, "demo", "Hello");
  alloc_counter::fail_nothrow = false;
  EXPECT_EQ(failed, "Hello");
  utString kept = translator->translate("demo", "Hello");  // retried after the failed allocation
  EXPECT_STREQ(kept.c_str(), "Hallo");
  EXPECT_EQ(text(*translator, "do_not_translate", "Hello"), "Hallo");
  const int opened = live(scope);
  EXPECT_EQ(text(*translator, "DO_NOT_TRANSLATE", "Hello"), "Hello");
  EXPECT_EQ(live(scope), opened);  // no table entry, no database
  EXPECT_STREQ(translator->explain("DO_NOT_TRANSLATE").c_str(),
               "not translated: the name DO_NOT_TRANSLATE bypasses the catalogues\n");

  // Each name is opened once: a catalogue or language added after the first use is not seen.
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");
  dir.add("de", "late", read("demo"));
  EXPECT_EQ(text(*translator, "late", "Hello"), "Hello");
  ::setenv("LANGUAGE", "fr", 1);
  EXPECT_EQ(text(*translator, "demo", "Hello"), "Hallo");

  delete translator;
  EXPECT_STREQ(kept.c_str(), "Hallo");  // results do not borrow from a database
  kept = utString();
  EXPECT_EQ(live(scope), 0);
}

TEST(TranslatorTest, PluralFormsAndContexts) {
  set_language("LANG", "pl_PL.UTF-8");
  ::setenv("LANGUAGE", "pl:it:de", 1);
  keznlsTranslatorWithDatabases translator((directory("second") + ":" + directory("first")).c_str());
  const auto plural = [&](const char* name, const char* context, unsigned long n) {
    const utString form = context != nullptr
                              ? translator.translate_plural_in_context(name, context, "%d free block", "%d free blocks", n)
                              : translator.translate_plural(name, "%d file", "%d files", n);
    return std::string(form.c_str());
  };
  // Polish's third form of the blocks reads a string: refused, so Italian answers those counts.
  const struct { unsigned long n; const char *files, *blocks; } counts[] = {
      {1, "jeden plik", "%d wolny blok"},  {2, "%d pliki", "%d wolne bloki"},
      {5, "%d plik\xC3\xB3w", "%d blocchi liberi"}, {22, "%d pliki", "%d wolne bloki"},
      {25, "%d plik\xC3\xB3w", "%d blocchi liberi"}, {0, "%d plik\xC3\xB3w", "%d blocchi liberi"},
      {112, "%d plik\xC3\xB3w", "%d blocchi liberi"}, {1, "jeden plik", "%d wolny blok"},
  };
  for (const auto& c : counts) {
    EXPECT_EQ(plural("demo", nullptr, c.n), c.files) << c.n;
    EXPECT_EQ(plural("demo", "disk", c.n), c.blocks) << c.n;
    EXPECT_EQ(plural("DO_NOT_TRANSLATE", nullptr, c.n), c.n == 1 ? "%d file" : "%d files");
    EXPECT_EQ(plural("no_such_domain", "disk", c.n), c.n == 1 ? "%d free block" : "%d free blocks");
  }
  EXPECT_EQ(text(translator, "demo", "Language"), "Italiano");  // not in pl: the next language
  // Context keys built in one place of the stack, call after call: each gets its own entry.
  for (int round = 0; round < 3; ++round) {
    EXPECT_STREQ(translator.translate_in_context("demo", "menu", "Open").c_str(), "Otw\xC3\xB3rz");
    EXPECT_STREQ(translator.translate("demo", "Open").c_str(), "Open");
    EXPECT_STREQ(translator.translate_in_context("demo", "state", "Open").c_str(), "Otwarty");
  }
  EXPECT_STREQ(translator.translate_in_context("demo", "window", "Open").c_str(), "Open");
  EXPECT_STREQ(translator.translate_in_context("DO_NOT_TRANSLATE", "menu", "Open").c_str(), "Open");
  // A plural call on an entry with one form gets that form, as in the C library.
  EXPECT_STREQ(translator.translate_plural_in_context("demo", "menu", "Open", "Opens", 2).c_str(), "Otw\xC3\xB3rz");
}

// A role that says in keeps() which of its members it leaves as they are.
template <class Role, unsigned kKept>
struct Keeping : Role {
  using Role::Role;
  unsigned keeps() const override { return kKept; }
};
// Overrides that say nothing in keeps(): asked all the same.
struct QuietLoudTranslator : keznlsTranslatorWithDatabases {
  using keznlsTranslatorWithDatabases::keznlsTranslatorWithDatabases;
  utString translate(const char* name, const char* text) override {
    char loud[64];  // not a std::string: the blocks it took would be counted
    std::snprintf(loud, sizeof loud, "%s!", keznlsTranslatorWithDatabases::translate(name, text).c_str());
    return utString(loud);
  }
};
struct QuietPlainFormatter : keznlsFormatterSimple {
  using keznlsFormatterSimple::keznlsFormatterSimple;
  utString vformat(const char* format, va_list) override { return utString(format); }
};
struct QuietPlainNamedFormatter : keznlsFormatterNamedLocale {
  using keznlsFormatterNamedLocale::keznlsFormatterNamedLocale;
  utString vformat(const char* format, va_list) override { return utString(format); }
};
// Capitals in the caller's buffer: asked for plain messages too.
struct ShoutingFormatter : keznlsFormatterSimple {
  using keznlsFormatterSimple::keznlsFormatterSimple;
  int vformat_into(char* buffer, int size, const char* format, va_list args) override {
    const int n = keznlsFormatterSimple::vformat_into(buffer, size, format, args);
    for (int i = 0; i < n; ++i) buffer[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(buffer[i])));
    return n;
  }
  unsigned keeps() const override { return keznls_kept_all & ~keznls_kept_vformat_into; }
};

// An override is asked, with copies, unless keeps() says otherwise.
TEST(TranslatorTest, AMessageAllocatesNothingUnlessARoleIsReplaced) {
  set_language("LANG", "de");
  using DerivedTranslator = Keeping<keznlsTranslatorWithDatabases, keznls_kept_all>;
  using LoudTranslator = Keeping<QuietLoudTranslator, keznls_kept_all & ~keznls_kept_translate>;
  using PlainFormatter = Keeping<QuietPlainFormatter, keznls_kept_all & ~keznls_kept_vformat>;
  keznlsTranslatorWithDatabases own_translator(directory("first").c_str());
  DerivedTranslator derived_translator(directory("first").c_str());
  LoudTranslator loud_translator(directory("first").c_str());
  keznlsFormatterSimple own_formatter(".");
  Keeping<keznlsFormatterSimple, keznls_kept_all> derived_formatter(".");
  PlainFormatter plain_formatter(".");
  ShoutingFormatter shouting_formatter(".");
  QuietLoudTranslator quiet_loud_translator(directory("first").c_str());
  QuietPlainFormatter quiet_plain_formatter(".");
  keznlsFormatterNamedLocale named("C");
  QuietPlainNamedFormatter quiet_plain_named("C");
  Keeping<keznlsTranslatorDefault, keznls_kept_all> untranslated;
  Keeping<keznlsFormatterDefault, keznls_kept_all> derived_default;
  Keeping<keznlsFormatterLocale, keznls_kept_all> derived_locale;
  struct Keep : keznlsDisplayer {
    void display(const char* text) override { shown = text; }
    std::string shown = std::string(64, ' ');  // room enough: no block of its own per message
  } displayer;
  const struct {
    const char* label; keznlsTranslator* translator; keznlsFormatter* formatter;
    const char *hello, *reordered; int blocks;  // as displayed; blocks for the five messages below
  } cases[] = {
      {"own roles", &own_translator, &own_formatter, "Hallo", "/tmp: 3 Eintr\xC3\xA4ge", 0},
      {"derived, changing nothing", &derived_translator, &derived_formatter, "Hallo", "/tmp: 3 Eintr\xC3\xA4ge", 0},
      {"derived from the default roles", &untranslated, &derived_default, "Hello", "3 entries in /tmp", 0},
      {"derived locale formatter", &derived_translator, &derived_locale, "Hallo", "/tmp: 3 Eintr\xC3\xA4ge", 0},
      // The two plain messages through its translate: two strings each.
      {"translate overridden", &loud_translator, &own_formatter, "Hallo!", "/tmp: 3 Eintr\xC3\xA4ge!", 4},
      // The five messages' own strings.
      {"vformat overridden", &own_translator, &plain_formatter, "Hallo", "%2$s: %1$d Eintr\xC3\xA4ge", 5},
      {"vformat_into overridden", &own_translator, &shouting_formatter, "HALLO", "/TMP: 3 EINTR\xC3\xA4GE", 0},
      // Overrides not declared in keeps(): asked all the same.
      {"translate overridden, undeclared", &quiet_loud_translator, &own_formatter, "Hallo!", "/tmp: 3 Eintr\xC3\xA4ge!", 7},
      {"vformat overridden, undeclared", &own_translator, &quiet_plain_formatter, "Hallo", "%2$s: %1$d Eintr\xC3\xA4ge", 5},
      {"named-locale formatter", &own_translator, &named, "Hallo", "/tmp: 3 Eintr\xC3\xA4ge", 0},
      {"named-locale vformat overridden, undeclared", &own_translator, &quiet_plain_named, "Hallo",
       "%2$s: %1$d Eintr\xC3\xA4ge", 5},
  };
  // A thread's first formatting allocates, once, its room for what it read of formats.
  own_formatter.format("%d", 1);
  // A catalogue builds its own index of the keys, once, after enough lookups.
  for (int i = 0; i < 64; ++i) own_translator.translate("demo", std::to_string(i).c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    keznlsHelper helper(c.translator, c.formatter, &displayer);
    helper.tprintf("demo", "Hello");  // opens the database
    const alloc_counter::Scope scope;
    helper.tprintf("demo", "%d entries in %s", 3, "/tmp");  // translated and reordered
    const bool reordered = displayer.shown == c.reordered;  // compared in place: no copy
    helper.tprintf("demo", "Hello");
    const bool hello = displayer.shown == c.hello;
    helper.ntprintf("demo", "%d file", "%d files", 2, 2);
    helper.ptprintf("demo", "menu", "Open");
    helper.nptprintf("demo", "disk", "%d free block", "%d free blocks", 2, 2);
    const int blocks = scope.count(), live = scope.count() - scope.released();
    EXPECT_EQ(blocks, c.blocks);
    EXPECT_EQ(live, 0);
    EXPECT_TRUE(reordered) << c.reordered;
    EXPECT_TRUE(hello) << c.hello;
  }
}

}  // namespace
