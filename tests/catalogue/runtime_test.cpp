// Where a program's catalogues lie, and which library it runs with.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "catalogue_files.h"
#include "keznls/catalogue_folder.h"
#include "keznls/version.h"
#include "catalogue/catalogue_folder_search.h"

namespace {

namespace fs = std::filesystem;
using keznls_detail::catalogue_folder_for;

// A scratch folder of its own for each test, removed afterwards.
class CatalogueFolder : public ::testing::Test {
 protected:
  std::string path(const std::string& relative) const { return scratch_.path() + "/" + relative; }
  std::string folder(const std::string& relative) {
    fs::create_directories(path(relative));
    return path(relative);
  }
  std::string file(const std::string& relative) {
    fs::create_directories(fs::path(path(relative)).parent_path());
    std::ofstream(path(relative)) << "x";
    return path(relative);
  }

  // Runs `program` with `fallback` and returns the folder it printed.
  static std::string run(const std::string& program, const std::string& fallback) {
    const std::string command = "'" + program + "' '" + fallback + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return "<popen failed>";
    std::string out;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "<exit " + std::to_string(status) + ">";
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

  const test_catalogues::TempDirectory scratch_;
};

// A file where a catalogue folder would be gives the fallback. The probe below
// finds a build tree's folder beside it and an installed prefix's.
TEST_F(CatalogueFolder, AFileOrAnUnreadableLinkGivesTheFallback) {
  // /usr/bin/locale is a program, not a catalogue folder.
  const std::pair<const char*, const char*> cases[] = {{"usr/bin/program", "usr/bin/locale"},
                                                       {"opt/bin/program", "opt/share/locale"}};
  for (const auto& [program, locale] : cases) {
    file(locale);
    EXPECT_EQ(catalogue_folder_for(path(program), "/fallback"), "/fallback") << program;
  }
  EXPECT_EQ(catalogue_folder_for(path("usr/bin/program"), nullptr), "");
  // What the link reads when it cannot be read, or a relative name.
  EXPECT_EQ(catalogue_folder_for("", "/fallback"), "/fallback");
  EXPECT_EQ(catalogue_folder_for("program", "/fallback"), "/fallback");
  EXPECT_EQ(catalogue_folder_for("bin/program", nullptr), "");
}

TEST_F(CatalogueFolder, TheRunningProgramFindsItsOwnCatalogues) {
  const std::string program = path("prefix/bin/probe");
  folder("prefix/bin");
  fs::copy_file(KEZNLS_CATALOGUE_FOLDER_PROBE, program);
  EXPECT_EQ(run(program, "/fallback"), "/fallback");

  const std::string installed = folder("prefix/share/locale");
  EXPECT_EQ(run(program, "/fallback"), installed);
  folder("elsewhere");
  fs::create_symlink(program, path("elsewhere/probe"));
  EXPECT_EQ(run(path("elsewhere/probe"), "/fallback"), installed);

  const std::string beside = folder("prefix/bin/locale");
  EXPECT_EQ(run(path("elsewhere/probe"), "/fallback"), beside);
}

TEST(Version, TheLoadedLibraryHeadersAndProjectAgree) {
  EXPECT_STREQ(keznls_version(), KEZNLS_PROJECT_VERSION);
  EXPECT_STREQ(KEZNLS_VERSION_STRING, KEZNLS_PROJECT_VERSION);
  EXPECT_EQ(std::to_string(KEZNLS_VERSION_MAJOR) + "." + std::to_string(KEZNLS_VERSION_MINOR) + "." +
                std::to_string(KEZNLS_VERSION_PATCH),
            KEZNLS_PROJECT_VERSION);
}

}  // namespace
