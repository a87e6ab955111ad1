#include "catalogue_files.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test_catalogues {

namespace {
const char* const kLocaleVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
}

std::string directory(const char* which) { return std::string(KEZNLS_TEST_CATALOGUES) + "/" + which; }

std::string path(const char* which, const char* language, const char* domain) {
  return directory(which) + "/" + language + "/LC_MESSAGES/" + domain + ".mo";
}

std::vector<char> read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned word(const std::vector<char>& mo, std::size_t offset) {
  unsigned w;
  std::memcpy(&w, mo.data() + offset, 4);
  return w;
}

void set_word(std::vector<char>* mo, std::size_t offset, unsigned value) {
  std::memcpy(mo->data() + offset, &value, 4);
}

std::vector<char> byte_swapped(const std::vector<char>& mo) {
  std::vector<char> out = mo;
  auto swap_at = [&](std::size_t offset) { set_word(&out, offset, __builtin_bswap32(word(mo, offset))); };
  const unsigned count = word(mo, 8), originals = word(mo, 12), translations = word(mo, 16);
  const unsigned hash_size = word(mo, 20), hash_offset = word(mo, 24);
  for (std::size_t i = 0; i < 7; ++i) swap_at(i * 4);
  for (std::size_t i = 0; i < 2 * std::size_t{count}; ++i) {
    swap_at(originals + i * 4);
    swap_at(translations + i * 4);
  }
  for (std::size_t i = 0; i < hash_size; ++i) swap_at(hash_offset + i * 4);
  return out;
}

LocaleEnvironment::LocaleEnvironment() {
  for (const char* name : kLocaleVariables) {
    if (const char* value = std::getenv(name))
      saved_.emplace_back(name, value);
    else
      unset_.emplace_back(name);
    ::unsetenv(name);
  }
}

LocaleEnvironment::~LocaleEnvironment() {
  for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  for (const std::string& name : unset_) ::unsetenv(name.c_str());
}

void LocaleEnvironment::set(const char* name, const char* value) { ::setenv(name, value, 1); }

TempDirectory::TempDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "keznls-catalogue-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDirectory::add(const char* language, const char* domain, const std::vector<char>& bytes) {
  const std::filesystem::path dir = std::filesystem::path(path_) / language / "LC_MESSAGES";
  std::filesystem::create_directories(dir);
  std::ofstream out(dir / (std::string(domain) + ".mo"), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace test_catalogues
