// keznls-printf run as a separate process: what it prints, on which stream,
// with which exit status.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "escapes.h"

extern char** environ;

namespace {

using ::testing::HasSubstr;

struct Outcome { int status; std::string out, err; };

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the tool with no language variable set but `env` ("NAME=value").
Outcome run(const std::vector<std::string>& args, const std::string& env = "") {
  std::string command = "env";
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string name(*e, strcspn(*e, "="));
    if (name == "LANGUAGE" || name == "LANG" || name.compare(0, 3, "LC_") == 0) command += " -u " + name;
  }
  command += " " + env + " " KEZNLS_PRINTF;
  for (const std::string& arg : args) command += " '" + arg + "'";  // no case holds a quote
  const std::string base = ::testing::TempDir() + "keznls_printf." + std::to_string(getpid());
  const int status = std::system((command + " >" + base + ".out 2>" + base + ".err").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(base + ".out"), slurp(base + ".err")};
}

struct Case {
  const char* env;  // "NAME=value" or ""
  std::vector<std::string> args;
  std::vector<std::string> expected;  // the whole output, or the parts a refusal must name
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

TEST(KeznlsPrintf, PrintsTranslatedAndFormatted) {
  const Case cases[] = {
      {kDe, {DEMO, kReordered, "7", "Ben"}, {"7 neue Nachrichten für Ben.\n"}},
      // No database named: the source text.
      {kDe, {"--catalogue", KEZNLS_DEMO_CATALOGUE, kReordered, "7", "Ben"}, {"Ben has 7 new messages.\n"}},
      // The user's locale writes "2,5"; both spellings are read as numbers.
      {kDe, {"--formatter", "default", "%.1f %.1f", "2,5", "0.125"}, {"2.5 0.1"}},
      {kDe, {"--formatter", "locale", "%.1f %.1f", "2,5", "0.125"}, {"2,5 0,1"}},
      {kDe, {"--formatter=simple", "--decimal-point=<>", "%.1f", "2,5"}, {"2<>5"}},
      {"", {"--", "--%s--", "x"}, {"--x--"}},
      // Plural forms by the catalogue's rule (Polish has three), contexts.
      {"LANG=pl_PL.UTF-8", {DEMO, "--plural", "%d files were copied.\\n", "--count", "22", "%d file was copied.\\n", "22"},
       {"22 pliki zosta\u0142y skopiowane.\n"}},
      {"", {"--plural", "%d files\\n", "--count", "1", "%d file\\n", "1"}, {"1 file\n"}},
      {kDe, {DEMO, "--context", "state of a file", "Open\\n"}, {"Offen\n"}},
      // A form may leave the count out; the argument is still taken.
      {"LANG=pl_PL.UTF-8", {TEST_DEMO, "--plural", "%d files", "--count", "1", "%d file", "1"}, {"jeden plik"}},
      {"", {"--version"}, {"keznls-printf (keznls) " KEZNLS_VERSION "\n"}},
  };
  for (const Case& c : cases) check(c, 0);
  // The test catalogues: "demo" has six German messages.
  const std::string first = std::string(KEZNLS_TEST_CATALOGUES) + "/first";
  check({"LANG=de_DE.UTF-8 LANGUAGE=xx:de", {"--catalogue", first, "--database", "demo", "--explain"},
         {"database \"demo\" in \"" + first + "\"\nlanguages \"xx:de\" from LANGUAGE\n" + first + "/xx/LC_MESSAGES/demo.mo: missing\n" + first +
          "/de/LC_MESSAGES/demo.mo: loaded, 6 messages\n"}},
        0);
  check({"LC_ALL=C LANGUAGE=de", {"--explain", DEMO}, {"database \"keznls-demo\" in \"" KEZNLS_DEMO_CATALOGUE
                                                       "\"\nskipped: LC_ALL is C\n"}}, 0);
  const Outcome help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, ::testing::StartsWith("Usage: keznls-printf"));
}

TEST(KeznlsPrintf, EveryFormatterPlacesArgumentsAndReadsNumbersAlike) {
  const Case cases[] = {
      // Translations that read other arguments are refused: the text as typed.
      {"LANG=de", {"--catalogue", KEZNLS_TEST_CATALOGUES "/first", "--database", "hostile", "%d files\\n", "3"},
       {"3 files\n"}},
      {"LANG=de", {"--catalogue", KEZNLS_TEST_CATALOGUES "/first", "--database", "hostile", "%s has %d new messages\\n",
                   "Anna", "3"},
       {"3 neue Nachrichten f\u00fcr Anna\n"}},
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
      {"", {"%x", ""}, {"argument 1", "\"\"", "\"%x\""}},
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
      {kDe, {TEST_DEMO, "%d entries in %s", "x", "/tmp"}, {"argument 1", "\"x\"", "\"%d\""}},
      // A conversion a formatter cannot show fails, as a bad argument does.
      {"", {"--formatter", "default", "A%2147483647dB|", "5"}, {"\"%2147483647d\"", "cannot be shown"}},
      {"", {"--formatter", "simple", "A%40dB|", "5"}, {"\"%40d\"", "cannot be shown"}},
      {"", {}, {"missing FORMAT"}}, {"", {"--colour", "%s"}, {"--colour"}},
      {"", {"--formatter", "fancy", "%s", "x"}, {"fancy"}},
      {"", {"--decimal-point", ",", "%.1f", "1"}, {"--decimal-point"}}, {"", {"--database"}, {"--database"}},
      {"", {"--formatter", "simple", "--decimal-point", "", "%.1f", "1.5"}, {"--decimal-point needs a text"}},
      {"", {"--plural", "%d files", "%d file", "2"}, {"--plural and --count go together"}},
      {"", {"--plural", "%d files", "--count", "-1", "%d file", "2"}, {"--count", "\"-1\""}},
  };
  for (const Case& c : cases) check(c, 2);
}

TEST(KeznlsPrintf, ExpandsEscapesLikeACatalogueSpellsThem) {
  const struct { const char* typed; std::string expected; } cases[] = {
      {"\\n\\t\\\\\\\"\\'", "\n\t\\\"'"},
      {"\\101\\0102", "A\b2"},  // octal stops after three digits
      {"\\18", "\0018"},
      {"\\0x", "x"},            // a NUL would cut the format short: dropped
      {"\\q\\", "\\q\\"},       // unknown escape and trailing backslash kept
      {"\\x41\\x7e1\\xC3\\xa9", "A~1\xC3\xA9"},  // at most two hexadecimal digits
      {"\\x00y\\xg", "y\\xg"},  // NUL dropped; no digit, no escape
  };
  for (const auto& c : cases) EXPECT_EQ(keznls_printf::expand_escapes(c.typed), c.expected) << c.typed;
}

}  // namespace
