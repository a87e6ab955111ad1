#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue_files.h"
#include "keznls/keznls.h"
#include "support/alloc_counter.h"

namespace {

using namespace test_catalogues;
using ::testing::HasSubstr;

std::string text(keznlsTranslator& translator, const char* name, const char* message) {
  return translator.translate(name, message).c_str();
}
int live(const alloc_counter::Scope& scope) { return scope.count() - scope.released(); }

TEST(TranslatorTest, OpensEachNamedDatabaseOnceAndReleasesThemAll) {
  set_language("LANG", "de");  // read when a database is opened
  // Catalogues under the reserved name, and under one differing only in case.
  const TempDirectory dir("de", "DO_NOT_TRANSLATE", read("demo"));
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

// A catalogue compiled without msgfmt's format check, through every front end and formatter.
// Refused translations show their original; for the engine, so do those outside its grammar.
using Call = std::function<void(kezabsOutput&)>;
const struct {
  Call call;
  const char* expected;
  const char* engine = nullptr;  // null: as `expected`
} kMessages[] = {
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d files\n", 3); }, "3 files\n"},  // %s for %d
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d copied\n", 4); }, "4 copied\n"},  // %n
    {[](kezabsOutput& o) { o.tprintf("hostile", "Done\n"); }, "Done\n"},  // a conversion, none in the original
    {[](kezabsOutput& o) { o.tprintf("hostile", "%s has %d new messages\n", "Anna", 3); },
     "3 neue Nachrichten f\xC3\xBCr Anna\n"},  // reordered: compatible
    // A stale plural entry whose forms read a %s the call does not pass.
    {[](kezabsOutput& o) { o.ntprintf("hostile", "%d file\n", "%d files\n", 1, 1); }, "1 file\n"},
    {[](kezabsOutput& o) { o.ntprintf("hostile", "%d file\n", "%d files\n", 2, 2); }, "2 files\n"},
    // C's printf shows these; the engine would show an error marker.
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d pears\n", 3); }, "3     Birnen\n", "3 pears\n"},
    {[](kezabsOutput& o) { o.tprintf("hostile", "%d cherries\n", 'K'); }, "K Kirschen\n", "75 cherries\n"},
};

std::string expected_all(bool engine) {
  std::string all;
  for (const auto& m : kMessages) all += engine && m.engine != nullptr ? m.engine : m.expected;
  return all;
}

class HostileCatalogue : public ::testing::Test {
 protected:
  void SetUp() override { set_language("LANG", "de"); }
  keznlsTranslatorWithDatabases translator{directory("first").c_str()};
};

TEST_F(HostileCatalogue, EveryFrontEndAndFormatterShowsTheOriginalOfARefusedTranslation) {
  keznlsFormatterDefault by_default;
  keznlsFormatterSimple simple(".");
  for (keznlsFormatter* formatter :
       {static_cast<keznlsFormatter*>(&by_default), static_cast<keznlsFormatter*>(&simple)}) {
    SCOPED_TRACE(formatter == &simple ? "simple" : "default");
    std::ostringstream stream;
    keznlsDisplayerOstream displayer(stream);
    keznlsHelper helper(&translator, formatter, &displayer);
    keznlsConnector connector(&translator, formatter, &displayer);
    for (kezabsOutput* out : {static_cast<kezabsOutput*>(&helper), static_cast<kezabsOutput*>(&connector)}) {
      stream.str("");
      for (const auto& m : kMessages) m.call(*out);
      EXPECT_EQ(stream.str(), expected_all(formatter == &simple));
    }
    const keznlsTranslatorAndFormatter pair(&translator, formatter);
    EXPECT_STREQ(pair.nstprintf("hostile", "%d file\n", "%d files\n", 2, 2).c_str(), "2 files\n");
    EXPECT_STREQ(pair.stprintf("hostile", "%d pears\n", 4).c_str(), formatter == &simple ? "4 pears\n" : "4     Birnen\n");
  }
  // The library output object, through its own formatting.
  std::ostringstream written;
  keznlsOstream stream(&written);
  keznlsLibraryNls nls;
  nls.stream(&stream);
  nls.nls_data_base(directory("first").c_str(), "hostile");
  nls.output("%d files\n", 3);
  nls.output("%s has %d new messages\n", "Anna", 3);
  EXPECT_EQ(written.str(), "3 files\n3 neue Nachrichten f\xC3\xBCr Anna\n");
}

// The stale call above must not have spoiled the forms.
TEST_F(HostileCatalogue, AFormIsCheckedAgainstThePluralTheCallPasses) {
  for (const unsigned long n : {1ul, 2ul}) {
    EXPECT_STREQ(translator.translate_plural("hostile", "%d file\n", "%d files\n", n).c_str(),
                 n == 1 ? "%d file\n" : "%d files\n");
    EXPECT_STREQ(translator.translate_plural("hostile", "%d file\n", "%d files in %s\n", n).c_str(),
                 n == 1 ? "%d Datei in %s\n" : "%d Dateien in %s\n");
    EXPECT_STREQ(translator.translate_plural("hostile", "%d file\n", "%d files\n", n).c_str(),
                 n == 1 ? "%d file\n" : "%d files\n");
  }
  EXPECT_THAT(translator.explain("hostile").c_str(),
              HasSubstr(", 4 translations use conversions the library's engine does not have"));
}

// "Hello" is only in de, "Language" in all, "Color" only in en_GB.
TEST(SourceLanguageTest, RequestsStopAtTheProgramsLanguage) {
  const struct { const char *header, *text, *shown, *answered; } cases[] = {
      {"en-US,en;q=0.9,fr;q=0.8", "Language", "Language", "en"},  // no en catalogue: the originals, not French
      {"en-GB", "Color", "Colour", "en_GB"},
      {"en-GB,de;q=0.8", "Hello", "Hello", "en"},                 // after en_GB the list stops
      {"pt-BR, fr;q=0.9, en;q=0.8", "Language", "Français", "fr"},
      {"en;q=0, fr", "Language", "Français", "fr"},               // English refused
      {"de-AT", "Language", "Deutsch (Österreich)", "de_AT"},
      {"de-AT", "Hello", "Hallo", "de"},                          // fallen through to de
  };
  for (const auto& c : cases) {
    // The header's whole list; the translator cuts it.
    keznlsTranslatorWithDatabases translator(directory("source").c_str(), keznls_accept_language_list(c.header));
    EXPECT_STREQ(translator.translate("demo", c.text).c_str(), c.shown) << c.header << " / " << c.text;
    EXPECT_EQ(translator.answered_language("demo", c.text), c.answered) << c.header << " / " << c.text;
  }
  // The environment's languages keep the C library's rule: English without a catalogue falls through.
  set_language("LANG", "fr_FR.UTF-8");
  ::setenv("LANGUAGE", "en:fr", 1);
  EXPECT_STREQ(keznlsTranslatorWithDatabases(directory("source")).translate("demo", "Language").c_str(), "Français");
  set_language();
}

// Down the list for each kind of message; the program's language where no catalogue answers.
TEST(SourceLanguageTest, EachKindOfMessageSaysWhichLanguageAnswered) {
  const struct { keznlsMessage message; const char* answered; } asked[] = {
      {{"demo", nullptr, "Language", nullptr, 0}, "de_AT"},
      {{"demo", nullptr, "Hello", nullptr, 0}, "de"},
      {{"demo", nullptr, "%d file", "%d files", 2}, "de"},
      {{"demo", "menu", "Open", nullptr, 0}, "de"},
      {{"demo", "disk", "%d free block", "%d free blocks", 2}, "pl"},  // only in pl
      {{"demo", "disk", "%d free block", "%d free blocks", 5}, "en"},  // pl's form refused
      {{"demo", nullptr, "Untranslated", nullptr, 0}, "en"},            // empty in de: original
      {{"absent", nullptr, "Language", nullptr, 0}, "en"},
      {{"DO_NOT_TRANSLATE", nullptr, "Language", nullptr, 0}, "en"},
  };
  keznlsTranslatorWithDatabases translator(directory("source"), std::string("de_AT:pl"), "en");
  for (const auto& a : asked)
    EXPECT_EQ(translator.answered_language(a.message), a.answered)
        << a.message.name << " / " << a.message.text << " n=" << a.message.n;
  EXPECT_EQ(translator.language("demo"), "de_AT");
  EXPECT_EQ(translator.language("absent"), "en");
}

TEST(SourceLanguageTest, AProgramWrittenInGerman) {
  const struct { const char *languages, *shown, *answered; } cases[] = {
      {"en_US:de", "Hello", "en"},
      {"", "Hallo", "de"},
  };
  for (const auto& c : cases) {
    keznlsTranslatorWithDatabases translator(directory("german"), std::string(c.languages), "de");
    EXPECT_EQ(translator.source_language(), "de");
    EXPECT_STREQ(translator.translate("demo", "Hallo").c_str(), c.shown) << c.languages;
    EXPECT_EQ(translator.answered_language("demo", "Hallo"), c.answered) << c.languages;
  }
}

TEST(SourceLanguageTest, StatusSaysWhatIsMissing) {
  const struct {
    std::string folder;
    const char *languages, *name;
    bool folder_exists, has_catalogue, any_language;
    const char* language;
  } cases[] = {
      {directory("source"), "de_CH:de", "demo", true, true, true, "de"},
      {directory("source"), "it", "demo", true, false, true, ""},
      {directory("source"), "de", "absent", true, false, false, ""},
      {directory("source") + "/nowhere", "de", "demo", false, false, false, ""},
      {"/nowhere:" + directory("source"), "pl", "demo", true, true, true, "pl"},
  };
  for (const auto& c : cases) {
    keznlsTranslatorWithDatabases translator(c.folder, std::string(c.languages));
    SCOPED_TRACE(c.folder + " " + c.languages);
    const keznlsCatalogueStatus status = translator.status(c.name);
    EXPECT_EQ(std::vector<bool>({status.folder_exists, status.has_catalogue, bool(status), status.any_language}),
              std::vector<bool>({c.folder_exists, c.has_catalogue, c.has_catalogue, c.any_language}));
    EXPECT_EQ(status.language, c.language);
  }
}

}  // namespace
