#include "catalogue_file.h"

#include <strings.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace keznls_compare {

namespace {

class Image {
 public:
  explicit Image(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

  bool word(std::size_t offset, std::uint32_t& value) const {
    if (offset > bytes_.size() || bytes_.size() - offset < 4) return false;
    const unsigned char* b = bytes_.data() + offset;
    value = swapped_ ? (std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3])
                     : (std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0]);
    return true;
  }
  void set_swapped(bool swapped) { swapped_ = swapped; }
  std::size_t size() const { return bytes_.size(); }

  /// The string of descriptor `index` in the table at `table`: `length`
  /// bytes, then a NUL, all inside the file.
  bool string(std::uint32_t table, std::uint32_t index, std::string& text) const {
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
    const std::size_t at = std::size_t{table} + std::size_t{index} * 8;
    if (!word(at, length) || !word(at + 4, offset)) return false;
    if (offset > bytes_.size() || bytes_.size() - offset <= length || bytes_[offset + length] != 0) return false;
    text.assign(reinterpret_cast<const char*>(bytes_.data()) + offset, length);
    return true;
  }

 private:
  std::vector<unsigned char> bytes_;
  bool swapped_ = false;
};

std::string before_nul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string header_charset(const std::string& header) {
  const std::string field = "charset=";
  const std::size_t at = header.find(field);
  if (at == std::string::npos) return "";
  const std::size_t begin = at + field.size();
  return header.substr(begin, header.find_first_of(" \t\n;", begin) - begin);
}

}  // namespace

bool CatalogueFile::is_utf8() const {
  return strcasecmp(charset.c_str(), "UTF-8") == 0 || strcasecmp(charset.c_str(), "utf8") == 0;
}

bool read_catalogue(const std::string& path, CatalogueFile& catalogue, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  Image image{std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};

  std::uint32_t magic = 0;
  std::uint32_t count = 0;
  std::uint32_t originals = 0;
  std::uint32_t translations = 0;
  if (!image.word(0, magic) || (magic != 0x950412deu && magic != 0xde120495u)) {
    error = path + ": not a compiled catalogue";
    return false;
  }
  image.set_swapped(magic == 0xde120495u);
  // Each message takes two descriptors of eight bytes: a count the file
  // cannot hold is refused before anything is reserved for it.
  if (!image.word(8, count) || !image.word(12, originals) || !image.word(16, translations) ||
      std::size_t{count} * 16 > image.size()) {
    error = path + ": truncated header";
    return false;
  }

  catalogue = CatalogueFile();
  catalogue.entries.reserve(count);
  std::string original;
  std::string translation;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!image.string(originals, i, original) || !image.string(translations, i, translation)) {
      error = path + ": message " + std::to_string(i) + " lies outside the file";
      return false;
    }
    if (original.empty()) {
      catalogue.charset = header_charset(translation);
      continue;
    }
    Entry entry;
    const std::size_t nul = original.find('\0');
    entry.key = original.substr(0, nul);
    entry.has_plural = nul != std::string::npos;
    if (entry.has_plural) entry.plural = before_nul(original.substr(nul + 1));
    entry.translation = before_nul(translation);
    catalogue.entries.push_back(std::move(entry));
  }
  return true;
}

}  // namespace keznls_compare
