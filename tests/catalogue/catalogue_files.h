// Catalogue files and environment control shared by the catalogue tests.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_catalogues {

/// A directory of catalogues compiled at build time ("first", "second").
inline std::string directory(const char* which) { return std::string(KEZNLS_TEST_CATALOGUES) + "/" + which; }

inline std::vector<char> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
/// The German catalogue of `domain` in "first".
inline std::vector<char> read(const char* domain) {
  return read_file(directory("first") + "/de/LC_MESSAGES/" + domain + ".mo");
}

/// Message `n` of the "numbers" catalogues and its translation.
inline std::string numbered(const char* format, int n) {
  char text[32];
  std::snprintf(text, sizeof text, format, n);
  return text;
}
inline std::string original(int n) { return numbered("message number %04d", n); }
inline std::string translation(int n) { return numbered("Meldung Nummer %04d", n); }

/// Overwrites the first `from` in `bytes` with `to`.
inline void overwrite(std::vector<char>& bytes, const std::string& from, const std::string& to) {
  const auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
  if (at == bytes.end()) throw std::invalid_argument("not in the catalogue: " + from);
  std::copy(to.begin(), to.end(), at);
}

inline unsigned word(const std::vector<char>& mo, std::size_t offset) {
  unsigned w;
  std::memcpy(&w, mo.data() + offset, 4);
  return w;
}
inline void set_word(std::vector<char>* mo, std::size_t offset, unsigned v) { std::memcpy(mo->data() + offset, &v, 4); }

/// The same catalogue written in the other byte order.
inline std::vector<char> byte_swapped(const std::vector<char>& mo) {
  std::vector<char> out = mo;
  auto swap_at = [&](std::size_t offset) { set_word(&out, offset, __builtin_bswap32(word(mo, offset))); };
  for (std::size_t i = 0; i < 7; ++i) swap_at(i * 4);
  for (std::size_t i = 0; i < 2 * std::size_t{word(mo, 8)}; ++i) swap_at(word(mo, 12) + i * 4);
  for (std::size_t i = 0; i < 2 * std::size_t{word(mo, 8)}; ++i) swap_at(word(mo, 16) + i * 4);
  for (std::size_t i = 0; i < word(mo, 20); ++i) swap_at(word(mo, 24) + i * 4);
  return out;
}

/// The descriptors this process has open.
inline int open_descriptors() {
  int n = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++n;
    ::closedir(dir);
  }
  return n - 3;  // ".", ".." and the directory's own
}

/// Unsets the language variables, then sets `name` to `value` if given.
inline void set_language(const char* name = nullptr, const char* value = nullptr) {
  for (const char* var : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) ::unsetenv(var);
  if (name != nullptr) ::setenv(name, value, 1);
}

/// A temporary catalogue directory, removed with everything in it.
struct TempDirectory {
  std::string path_ = (std::filesystem::temp_directory_path() / "keznls-catalogue-XXXXXX").string();
  TempDirectory() { if (::mkdtemp(path_.data()) == nullptr) path_ = "/nonexistent"; }
  /// With one catalogue in it.
  TempDirectory(const char* language, const char* domain, const std::vector<char>& bytes) : TempDirectory() {
    add(language, domain, bytes);
  }
  ~TempDirectory() { std::error_code ignored; std::filesystem::remove_all(path_, ignored); }
  const std::string& path() const { return path_; }
  void add(const char* language, const char* domain, const std::vector<char>& bytes) const {
    const std::filesystem::path dir = std::filesystem::path(path_) / language / "LC_MESSAGES";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / (std::string(domain) + ".mo"), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

}  // namespace test_catalogues
