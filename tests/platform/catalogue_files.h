// Catalogue files and environment control shared by the catalogue tests.
#ifndef KEZNLS_TESTS_CATALOGUE_FILES_H
#define KEZNLS_TESTS_CATALOGUE_FILES_H

#include <string>
#include <utility>
#include <vector>

namespace test_catalogues {

/// A directory of catalogues compiled at build time ("first", "second").
std::string directory(const char* which);
/// `<directory>/<language>/LC_MESSAGES/<domain>.mo`.
std::string path(const char* which, const char* language, const char* domain);
std::vector<char> read_bytes(const std::string& path);

/// The same catalogue written in the other byte order.
std::vector<char> byte_swapped(const std::vector<char>& mo);

/// The native-order 32-bit word at `offset` of an image, and writing one.
unsigned word(const std::vector<char>& mo, std::size_t offset);
void set_word(std::vector<char>* mo, std::size_t offset, unsigned value);

/// Clears the variables that choose the language and puts them back on
/// destruction.
class LocaleEnvironment {
 public:
  LocaleEnvironment();
  ~LocaleEnvironment();
  LocaleEnvironment(const LocaleEnvironment&) = delete;
  LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;
  void set(const char* name, const char* value);

 private:
  std::vector<std::pair<std::string, std::string>> saved_;  // name, value
  std::vector<std::string> unset_;
};

/// A temporary catalogue directory, removed with everything in it.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  const std::string& path() const { return path_; }
  /// Writes `bytes` as the catalogue of `domain` in `language`.
  void add(const char* language, const char* domain, const std::vector<char>& bytes);

 private:
  std::string path_;
};

}  // namespace test_catalogues

#endif  // KEZNLS_TESTS_CATALOGUE_FILES_H
