// Catalogues in another charset than UTF-8: their translations are
// converted when loaded, so every lookup hands out UTF-8. The originals
// stay as they are: they are the program's own texts, the lookup keys.
#include <errno.h>
#include <iconv.h>

#include <cctype>
#include <cstring>
#include <limits>
#include <string>

#include "keznls/nls/nls.h"
#include "mo_format.h"

namespace {

// The charset a header names, as the C library's lookup reads it: the text
// after the first "charset=" up to white space. Empty when there is none.
std::string header_charset(const char* header) {
  const char* start = std::strstr(header, "charset=");
  if (start == nullptr) return std::string();
  start += 8;
  return std::string(start, std::strcspn(start, " \t\n"));
}

// UTF-8 itself, and ASCII, which is a part of it.
bool passes_as_utf8(const std::string& charset) {
  std::string name;
  for (const char c : charset)
    if (std::isalnum(static_cast<unsigned char>(c))) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name == "utf8" || name == "ascii" || name == "usascii" || name == "ansix341968";
}

struct Converter {
  iconv_t cd;
  explicit Converter(const std::string& charset) : cd(iconv_open("UTF-8", charset.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd);
  }
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }

  // Appends `text` converted; false on bytes that are not text of the
  // charset (also an incomplete character at the end).
  bool append(const char* text, std::size_t length, std::string* out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // the initial shift state
    char* in = const_cast<char*>(text);
    std::size_t in_left = length;
    bool input_done = false;  // then what ends the shift state comes out
    char buffer[512];
    for (;;) {
      char* o = buffer;
      std::size_t o_left = sizeof buffer;
      const std::size_t r = input_done ? iconv(cd, nullptr, nullptr, &o, &o_left)
                                       : iconv(cd, &in, &in_left, &o, &o_left);
      out->append(buffer, static_cast<std::size_t>(o - buffer));
      if (r == static_cast<std::size_t>(-1)) {
        if (errno != E2BIG) return false;
      } else if (input_done) {
        return true;
      } else {
        input_done = true;
      }
    }
  }
};

}  // namespace

bool nlsLoadedDomain::convert_to_utf8(std::string* problem) {
  const Message* entry = header();
  if (entry == nullptr) return true;
  const std::string charset = header_charset(bytes_ + entry->translation_offset);
  if (charset.empty() || passes_as_utf8(charset)) return true;

  Converter converter(charset);
  if (!converter.ok()) {
    *problem = "skipped: charset " + charset + " cannot be converted to UTF-8";
    return false;
  }
  // The converted translations go after the file's own bytes, in one new
  // image; the descriptors are ours, so only they change.
  std::string converted;
  for (Message& m : messages_) {
    const std::size_t start = converted.size();
    if (!converter.append(bytes_ + m.translation_offset, m.translation_length, &converted)) {
      *problem = "malformed: a translation is not " + charset + " text";
      return false;
    }
    converted.push_back('\0');
    m.translation_offset = static_cast<std::uint32_t>(start);
    m.translation_length = static_cast<std::uint32_t>(converted.size() - start - 1);
  }
  const std::size_t size = size_ + converted.size();
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    *problem = "unreadable: too large once converted to UTF-8";
    return false;
  }
  char* image = new char[size];
  std::memcpy(image, bytes_, size_);
  std::memcpy(image + size_, converted.data(), converted.size());
  for (Message& m : messages_) m.translation_offset += static_cast<std::uint32_t>(size_);
  delete[] bytes_;
  bytes_ = image;
  size_ = size;
  // Checked like any image read from a file.
  for (const Message& m : messages_) {
    if (!nls_mo::string_fits(bytes_, size_, m.translation_length, m.translation_offset)) {
      *problem = "malformed: a converted translation past the end";
      return false;
    }
  }
  converted_from_ = charset;
  return true;
}
