// What a program learns about itself at run time: where its catalogues
// lie, and which library it runs with.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "keznls/catalogue_folder.h"
#include "keznls/version.h"
#include "runtime/catalogue_folder_search.h"

namespace {

namespace fs = std::filesystem;
using keznls_detail::catalogue_folder_for;

// A scratch folder of its own for each test, removed afterwards.
class CatalogueFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "keznls-folder-XXXXXX").string();
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string folder(const std::string& relative) {
    fs::create_directories(root_ / relative);
    return (root_ / relative).string();
  }
  std::string file(const std::string& relative) {
    fs::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative) << "x";
    return (root_ / relative).string();
  }
  std::string path(const std::string& relative) const { return (root_ / relative).string(); }

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

  fs::path root_;
};

TEST_F(CatalogueFolder, TheBuildTreesFolderBesideTheProgramComesFirst) {
  const std::string beside = folder("build/app/locale");
  folder("build/share/locale");
  EXPECT_EQ(catalogue_folder_for(path("build/app/program"), "/fallback"), beside);
}

TEST_F(CatalogueFolder, AnInstalledProgramFindsItsPrefixsShareLocale) {
  folder("prefix/bin");
  const std::string installed = folder("prefix/share/locale");
  // Written without "..": it shows in explain() and error messages.
  EXPECT_EQ(catalogue_folder_for(path("prefix/bin/program"), "/fallback"), installed);
}

TEST_F(CatalogueFolder, AFileNamedLocaleIsPassedOver) {
  // /usr/bin/locale is a program, not a catalogue folder.
  file("usr/bin/locale");
  EXPECT_EQ(catalogue_folder_for(path("usr/bin/program"), "/fallback"), "/fallback");
  const std::string installed = folder("usr/share/locale");
  EXPECT_EQ(catalogue_folder_for(path("usr/bin/program"), "/fallback"), installed);
  file("opt/share/locale");
  EXPECT_EQ(catalogue_folder_for(path("opt/bin/program"), "/fallback"), "/fallback");
}

TEST_F(CatalogueFolder, NeitherFolderGivesTheFallback) {
  folder("lonely/bin");
  folder("lonely/share");  // no locale in it
  EXPECT_EQ(catalogue_folder_for(path("lonely/bin/program"), "/usr/share/locale"), "/usr/share/locale");
  EXPECT_EQ(catalogue_folder_for(path("lonely/bin/program"), nullptr), "");
}

TEST_F(CatalogueFolder, APathThatNamesNoFolderGivesTheFallback) {
  // What the link reads when it cannot be read, or a relative name.
  EXPECT_EQ(catalogue_folder_for("", "/fallback"), "/fallback");
  EXPECT_EQ(catalogue_folder_for("program", "/fallback"), "/fallback");
  EXPECT_EQ(catalogue_folder_for("bin/program", nullptr), "");
}

// The running program is found from its own file: copied into each
// layout, and started through a link from elsewhere.
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
