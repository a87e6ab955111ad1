// keznls-printf run as a separate process: what it prints, on which stream,
// with which exit status.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

extern char** environ;

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(int fd) {
  std::string text;
  char chunk[4096];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
  close(fd);
  return text;
}

// Runs the tool with `args` in the caller's environment minus every
// language variable, plus `env` ("NAME=value" entries).
Outcome run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name != "LANGUAGE" && name != "LANG" && name.compare(0, 3, "LC_") != 0 &&
        name != "LOCPATH") {
      environment.push_back(entry);
    }
  }
  environment.push_back(std::string("LOCPATH=") + KEZNLS_TEST_LOCPATH);
  environment.insert(environment.end(), env.begin(), env.end());

  std::vector<std::string> argv_text{KEZNLS_PRINTF};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(&e[0]);
  envp.push_back(nullptr);

  int out_pipe[2];
  int err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) return Outcome();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
  posix_spawn_file_actions_addclose(&actions, err_pipe[0]);
  pid_t pid;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out_pipe[1]);
  close(err_pipe[1]);
  Outcome result;
  // The tool's output is small enough for the pipe, so reading one stream
  // after the other cannot stall it.
  result.out = slurp(out_pipe[0]);
  result.err = slurp(err_pipe[0]);
  int wait_status = 0;
  if (spawned == 0 && waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status)) {
    result.status = WEXITSTATUS(wait_status);
  }
  return result;
}

const char kReordered[] = "%2$s has %1$d new messages.\\n";

TEST(KeznlsPrintf, TranslatesThenFormatsWithTheTranslatedOrder) {
  struct Case {
    std::string language;
    std::string formatter;
    std::string expected;
  };
  const Case cases[] = {
      {"LANG=de_DE.UTF-8", "default", "7 neue Nachrichten für Ben.\n"},
      {"LANG=de_DE.UTF-8", "simple", "7 neue Nachrichten für Ben.\n"},
      {"LANGUAGE=fr", "locale", "7 nouveaux messages pour Ben.\n"},
      // No catalogue for the language: the source text, in its own order.
      {"LANG=C", "simple", "Ben has 7 new messages.\n"},
      {"LANGUAGE=it", "default", "Ben has 7 new messages.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language + " " + c.formatter);
    const Outcome r = run({"--catalogue", KEZNLS_DEMO_CATALOGUE, "--database", "keznls-demo",
                       "--formatter", c.formatter, kReordered, "7", "Ben"},
                      {c.language});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
    EXPECT_EQ(r.err, "");
  }
}

TEST(KeznlsPrintf, WithoutADatabaseTheFormatIsUsedAsTyped) {
  const Outcome r = run({"--catalogue", KEZNLS_DEMO_CATALOGUE, kReordered, "7", "Ben"},
                    {"LANG=de_DE.UTF-8"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Ben has 7 new messages.\n");
}

TEST(KeznlsPrintf, ArgumentsGoWhereTheirPositionsSay) {
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  const Case cases[] = {
      {{"%2$s-%1$d", "3", "x"}, "x-3"},
      {{"%3$s%2$s%1$s", "a", "b", "c"}, "cba"},
      {{"%1$s %s", "a", "b"}, "a b"},
      {{"%2$x/%1$X", "255", "255"}, "ff/FF"},
      {{"%%%1$s%%", "x"}, "%x%"},
  };
  for (const char* formatter : {"default", "simple", "locale"}) {
    for (const Case& c : cases) {
      std::vector<std::string> args{"--formatter", formatter};
      args.insert(args.end(), c.args.begin(), c.args.end());
      SCOPED_TRACE(std::string(formatter) + " " + c.args[0]);
      const Outcome r = run(args);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out, c.expected);
    }
  }
}

TEST(KeznlsPrintf, EachFormatterHasItsOwnDecimalPoint) {
  struct Case {
    std::vector<std::string> options;
    std::string expected;
  };
  // The user's locale writes "2,5"; both spellings are read as numbers.
  const Case cases[] = {
      {{"--formatter", "default"}, "2.5 0.1"},
      {{"--formatter", "locale"}, "2,5 0,1"},
      {{"--formatter", "simple"}, "2.5 0.1"},
      {{"--formatter", "simple", "--decimal-point", "<>"}, "2<>5 0<>1"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"%.1f %.1f", "2,5", "0.125"});
    SCOPED_TRACE(c.expected);
    const Outcome r = run(args, {"LANG=de_DE.UTF-8"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.expected);
  }
}

TEST(KeznlsPrintf, IntegersAreThirtyTwoBitsWhateverTheFormatter) {
  for (const char* formatter : {"default", "simple", "locale"}) {
    SCOPED_TRACE(formatter);
    const Outcome ok = run({"--formatter", formatter, "%u %lu %ld %X %05d|%s|%%\\n", "-1", "-1",
                        "-2147483648", "2147483647", "-42", "50%"});
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.out, "4294967295 4294967295 -2147483648 7FFFFFFF -0042|50%|%\n");
  }
}

TEST(KeznlsPrintf, BadInputIsRefusedWithStatusTwoAndNothingPrinted) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> message;  // parts the message must name
  };
  const Case cases[] = {
      {{"%d apples", "many"}, {"argument 1", "\"many\"", "\"%d\"", "not an integer"}},
      {{"%s: %.2f", "x", "1.5kg"}, {"argument 2", "\"1.5kg\"", "\"%.2f\"", "not a number"}},
      {{"%x", ""}, {"argument 1", "\"\"", "\"%x\""}},
      {{"%d", "99999999999"}, {"argument 1", "\"99999999999\"", "\"%d\"", "range"}},
      {{"%s and %d", "one"}, {"\"%d\"", "argument 2", "1 was given"}},
      {{"%3$s", "a", "b", "c"}, {"argument 1", "\"a\"", "not taken"}},
      {{"%d", "1", "2"}, {"argument 2", "\"2\"", "not taken", "\"%d\""}},
      {{"%1$d %3$d", "1", "2", "3"}, {"argument 2", "\"2\"", "not taken"}},
      {{"%d%d%d%d%d%d%d%d%d%.1f", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"},
       {"\"%.1f\"", "argument 10", "nine"}},
      {{"%1$d %1$s", "5"}, {"\"%1$d\"", "\"%1$s\"", "argument 1"}},
      {{"100%"}, {"\"%\""}},
      {{"%5q", "1"}, {"\"%5q\""}},
      {{"%-5d", "1"}, {"\"%-\""}},
      {{"%02$d", "1"}, {"\"%02$\""}},
      {{"%10$d", "1"}, {"\"%10$\""}},  // positions are one digit
      {{"%2$s %s", "a", "b"}, {"\"%2$s\"", "\"%s\"", "argument 2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    for (const std::string& part : c.message) EXPECT_THAT(r.err, HasSubstr(part));
    EXPECT_THAT(r.err, HasSubstr("keznls-printf: "));
  }
}

TEST(KeznlsPrintf, TheTranslatedFormatIsTheOneChecked) {
  // The German text takes two arguments like the English one; one is missing.
  const Outcome r = run({"--catalogue", KEZNLS_DEMO_CATALOGUE, "--database", "keznls-demo",
                     kReordered, "7"},
                    {"LANG=de_DE.UTF-8"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_THAT(r.err, AllOf(HasSubstr("\"%2$s\""), HasSubstr("argument 2")));
}

TEST(KeznlsPrintf, OptionsAndUsage) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out_part;  // empty: nothing on standard output
    std::string err_part;
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage: keznls-printf", ""},
      {{"--version"}, 0, "keznls-printf (keznls) " KEZNLS_VERSION, ""},
      {{"--formatter=simple", "--decimal-point=,", "%.1f", "1.5"}, 0, "1,5", ""},
      {{"--", "--%s--", "x"}, 0, "--x--", ""},
      {{}, 2, "", "missing FORMAT"},
      {{"--colour", "%s"}, 2, "", "--colour"},
      {{"--formatter", "fancy", "%s", "x"}, 2, "", "fancy"},
      {{"--decimal-point", ",", "%.1f", "1"}, 2, "", "--decimal-point"},
      {{"--database"}, 2, "", "--database"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, c.status) << r.err;
    if (c.out_part.empty()) {
      EXPECT_EQ(r.out, "");
    } else {
      EXPECT_THAT(r.out, HasSubstr(c.out_part));
    }
    EXPECT_THAT(r.err, HasSubstr(c.err_part));
  }
}

}  // namespace
