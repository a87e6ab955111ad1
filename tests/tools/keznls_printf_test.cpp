#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

extern char** environ;

namespace {

using ::testing::HasSubstr;

struct Outcome { int status; std::string out, err; };

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the tool with no language variable but `env`, its output going to `out`.
Outcome run(const std::vector<std::string>& args, const std::string& env = "", std::string out = "") {
  std::string command = "env";
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string name(*e, strcspn(*e, "="));
    if (name == "LANGUAGE" || name == "LANG" || name.compare(0, 3, "LC_") == 0) command += " -u " + name;
  }
  command += " " + env + " " KEZNLS_PRINTF_TOOL;
  for (const std::string& arg : args) command += " '" + arg + "'";  // no case holds a quote
  const std::string base = ::testing::TempDir() + "keznls_printf." + std::to_string(getpid());
  if (out.empty()) out = base + ".out";
  std::remove((base + ".out").c_str());
  const int status = std::system((command + " >" + out + " 2>" + base + ".err").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(base + ".out"), slurp(base + ".err")};
}

struct Case {
  const char* env;  // "NAME=value" or ""
  std::vector<std::string> args, expected;  // the whole output, or the parts a refusal must name
};

void check(const Case& c, int status) {
  SCOPED_TRACE(c.env + ::testing::PrintToString(c.args));
  const Outcome r = run(c.args, c.env);
  EXPECT_EQ(r.status, status) << r.err;
  EXPECT_EQ(r.out, status == 0 ? c.expected.at(0) : "");
  EXPECT_THAT(r.err, status == 0 ? ::testing::Matcher<const std::string&>(::testing::IsEmpty())
                                 : HasSubstr("keznls-printf: "));
  for (const std::string& part : c.expected) EXPECT_THAT(status == 0 ? r.out : r.err, HasSubstr(part));
}

const char kReordered[] = "%2$s has %1$d new messages.\\n";
const char kDe[] = "LANG=de_DE.UTF-8";
#define DEMO "--catalogue", KEZNLS_DEMO_CATALOGUE, "--database", "keznls-demo"
#define TEST_DEMO "--catalogue", KEZNLS_TEST_CATALOGUES "/first", "--database", "demo"
#define HOSTILE "--catalogue", KEZNLS_TEST_CATALOGUES "/first", "--database", "hostile"

TEST(KeznlsPrintf, PrintsTranslatedAndFormatted) {
  const Case cases[] = {
      {kDe, {DEMO, kReordered, "7", "Ben"}, {"7 neue Nachrichten für Ben.\n"}},
      // No database named: the source text.
      {kDe, {"--catalogue", KEZNLS_DEMO_CATALOGUE, kReordered, "7", "Ben"}, {"Ben has 7 new messages.\n"}},
      // The user's locale writes "2,5"; both spellings are read as numbers.
      {kDe, {"--formatter", "default", "%.1f %.1f", "2,5", "0.125"}, {"2.5 0.1"}},
      {kDe, {"--formatter=simple", "--decimal-point=<>", "%.1f", "2,5"}, {"2<>5"}},
      {"", {"--", "--%s--", "x"}, {"--x--"}},
      // Escapes as a catalogue spells them: octal stops after three digits, hexadecimal after two;
      // an unknown one, a \x without a digit and a trailing backslash are kept.
      {"", {"\\n\\t\\\\\\\"|\\101\\0102|\\18|\\0400\\377|\\x41\\x7e1\\xC3\\xa9|y\\xg\\q\\"},
       {"\n\t\\\"|A\b2|\0018| 0\xFF|A~1\xC3\xA9|y\\xg\\q\\"}},
      // Plural forms by the catalogue's rule (Polish has three), contexts.
      {"LANG=pl_PL.UTF-8", {DEMO, "--plural", "%d files were copied.\\n", "--count", "22", "%d file was copied.\\n", "22"},
       {"22 pliki zosta\u0142y skopiowane.\n"}},
      // The arguments are the plural's; the singular may leave them out.
      {"", {"--plural", "%d files\\n", "--count", "1", "one file\\n", "1"}, {"one file\n"}},
      {kDe, {DEMO, "--context", "state of a file", "Open\\n"}, {"Offen\n"}},
      // A form may leave the count out; the argument is still taken.
      {"LANG=pl_PL.UTF-8", {TEST_DEMO, "--plural", "%d files", "--count", "1", "%d file", "1"}, {"jeden plik"}},
      {"", {"--version"}, {"keznls-printf (keznls) " KEZNLS_VERSION "\nlibrary: keznls " KEZNLS_VERSION "\n"}},
#define FIRST KEZNLS_TEST_CATALOGUES "/first"
      {"LANG=de_DE.UTF-8 LANGUAGE=xx:de", {TEST_DEMO, "--explain"},
       {"database \"demo\" in \"" FIRST "\"\nlanguages \"xx:de\" from LANGUAGE\n" FIRST
        "/xx/LC_MESSAGES/demo.mo: missing\n" FIRST "/de/LC_MESSAGES/demo.mo: loaded, 6 messages\n"}},
#undef FIRST
  };
  for (const Case& c : cases) check(c, 0);
}

TEST(KeznlsPrintf, EveryFormatterPlacesArgumentsAndReadsNumbersAlike) {
  const Case cases[] = {
      {"", {"%2$s-%1$d", "3", "x"}, {"x-3"}}, {"", {"%1$s %s", "a", "b"}, {"a b"}},
      // Integers are 32 bits whatever the length modifier.
      {"", {"%u %lx %ld %X %05d %.2f|%s|%%\\n", "-1", "-1", "-2147483648", "2147483647", "-42", "2.5", "50%"},
       {"4294967295 ffffffff -2147483648 7FFFFFFF -0042 2.50|50%|%\n"}},
  };
  for (const char* formatter : {"default", "simple", "locale"}) {
    for (Case c : cases) {
      c.args.insert(c.args.begin(), {"--formatter", formatter});
      check(c, 0);
    }
  }
}

TEST(KeznlsPrintf, RefusesBadInputWithStatusTwoAndNothingPrinted) {
  const Case cases[] = {
      {"", {"%d apples", "many"}, {"argument 1", "\"many\"", "\"%d\"", "not an integer"}},
      {"", {"%s: %.2f", "x", "1.5kg"}, {"argument 2", "\"1.5kg\"", "\"%.2f\"", "not a number"}},
      {"", {"%d", "99999999999"}, {"argument 1", "\"99999999999\"", "\"%d\"", "range"}},
      {"", {"%s and %d", "one"}, {"\"%d\"", "argument 2", "1 was given"}},
      {"", {"%1$d %3$d", "1", "2", "3"}, {"argument 2", "\"2\"", "not taken", "\"%1$d %3$d\""}},
      {"", {"%d%d%d%d%d%d%d%d%d%.1f", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
       {"\"%.1f\"", "argument 10", "nine"}},
      {"", {"%1$d %1$s", "5"}, {"\"%1$d\"", "\"%1$s\"", "argument 1"}},
      {"", {"100%"}, {"\"%\""}}, {"", {"%5q", "1"}, {"\"%5q\""}},
      {"", {"%10$d", "1"}, {"\"%10$\""}},  // positions are one digit
      // Messages name the conversions as typed, not as translated.
      {kDe, {DEMO, kReordered, "7"}, {"\"%2$s\"", "argument 2"}},
      // A conversion a formatter cannot show fails, as a bad argument does.
      {"", {"--formatter", "default", "A%2147483647dB|", "5"}, {"\"%2147483647d\"", "cannot be shown"}},
      {"", {"--formatter", "simple", "A%40dB|", "5"}, {"\"%40d\"", "cannot be shown"}},
      {"", {}, {"missing FORMAT"}}, {"", {"--colour", "%s"}, {"--colour"}},
      {"", {"--formatter", "fancy", "%s", "x"}, {"fancy"}},
      {"", {"--decimal-point", ",", "%.1f", "1"}, {"--decimal-point"}}, {"", {"--database"}, {"--database"}},
      {"", {"--formatter", "simple", "--decimal-point", "", "%.1f", "1.5"}, {"--decimal-point needs a text"}},
      {"", {"--plural", "%d files", "%d file", "2"}, {"--plural and --count go together"}},
      {"", {"--plural", "%d files", "--count", "-1", "%d file", "2"}, {"--count", "\"-1\""}},
      {"", {"--plural", "%d files", "--count", "1", "%s file", "2"}, {"FORMAT \"%s file\"", "--plural \"%d files\""}},
      {"", {"--plural", "%d files", "--count", "1", "one file"}, {"\"%d\"", "argument 1", "0 were given"}},
      // Escapes no byte or no C string holds, wherever they are typed.
      {"", {"a\\400b"}, {"escape \"\\400\" in FORMAT is above \\377"}},
      {"", {"--plural", "%d files\\0", "--count", "2", "%d file", "2"}, {"\"\\0\" in --plural", "NUL byte"}},
      {"", {"--context", "x\\x00", "a"}, {"\"\\x00\" in --context", "NUL byte"}},
      // The C library reads %ls as a wide string; a command line has none.
      {"", {"--formatter", "locale", "%ls", "abc"}, {"\"%ls\"", "argument 1", "wide string"}},
      // A translation's %c of 0 would be a NUL byte: the text would end there.
      {kDe, {HOSTILE, "%d cherries\\n", "256"}, {"\"%d\"", "\"%c\"", "argument 1", "NUL byte"}},
  };
  for (const Case& c : cases) check(c, 2);
}

// The HostileCatalogue tests (catalogue/translator_test.cpp) hold the library to the same texts and
// to every refused translation there (each reaches the tool as its original).
TEST(KeznlsPrintf, PrintsWhatTheLibraryPrintsWithEachFormatter) {
  const char kCatalogues[] = KEZNLS_TEST_CATALOGUES "/first:" KEZNLS_TEST_CATALOGUES "/printf";
  const struct {
    const char *database, *text, *plural;  // null: a plain message; else the count is the first argument
    std::vector<std::string> args;
    std::array<const char*, 3> expected;  // with default, simple, locale
  } messages[] = {
      // Outside the engine's grammar: the C formatters show the translation, the engine the original.
      {"hostile", "%d apples\n", nullptr, {"3"}, {"3 \u00c4pfel\n", "3 apples\n", "3 \u00c4pfel\n"}},
      {"hostile", "%d cherries\n", nullptr, {"65"}, {"A Kirschen\n", "65 cherries\n", "A Kirschen\n"}},
      // A singular without the count: the count is passed all the same.
      {"keznls_printf", "one file\n", "%d files\n", {"1"}, {"1 Datei\n", "1 Datei\n", "1 Datei\n"}},
      // C's grammar only: `*` widths and precisions (negative: left-aligned, or none), an argument read
      // twice, `%m` reading none.
      {"keznls_printf", "[%d|%d]\n", nullptr, {"6", "42"}, {"[    42]\n", "[6|42]\n", "[    42]\n"}},
      {"keznls_printf", "[%d|%d|%d|%s]\n", nullptr, {"-4", "7", "3", "ab"},
       {"[7   |ab ]\n", "[-4|7|3|ab]\n", "[7   |ab ]\n"}},
      {"keznls_printf", "%d %f %d %f\n", nullptr, {"2", "3.14159", "-1", "2.5"},
       {"3.14 2.500000\n", "2 3.141590 -1 2.500000\n", "3,14 2,500000\n"}},
      {"keznls_printf", "%f %d %d|\n", nullptr, {"2.5", "9", "3"},
       {"00002.500|\n", "2.500000 9 3|\n", "00002,500|\n"}},
      {"keznls_printf", "%d again\n", nullptr, {"72"}, {"72 again 72   |H\n", "72 again\n", "72 again 72   |H\n"}},
      {"keznls_printf", "%s|%f|%s\n", nullptr, {"xyz", "1234.5", "f"},
       {"xy1.2e+03f\n", "xyz|1234.500000|f\n", "xy1,2e+03f\n"}},
  };
  const char* const names[] = {"default", "simple", "locale"};
  for (int f = 0; f < 3; ++f)
    for (const auto& m : messages) {
      std::vector<std::string> args = {"--formatter", names[f], "--catalogue", kCatalogues, "--database", m.database};
      if (m.plural != nullptr) args.insert(args.end(), {"--plural", m.plural, "--count", m.args.at(0)});
      args.push_back(m.text);
      args.insert(args.end(), m.args.begin(), m.args.end());
      check({kDe, args, {m.expected[f]}}, 0);
    }
}

TEST(KeznlsPrintf, ReportsAWriteErrorWithStatusOne) {
  // Each text goes out through one call, whatever printed it.
  const std::vector<std::string> calls[] = {{"--formatter", "simple", "%s\\n", "hello"}, {"--explain", DEMO}};
  for (const auto& args : calls) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const Outcome r = run(args, "", "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "keznls-printf: write error: " + std::string(std::strerror(ENOSPC)) + "\n");
  }
  // Refused input is reported as such, with nothing written.
  EXPECT_EQ(run({"%d", "x"}, "", "/dev/full").status, 2);
}

}  // namespace
