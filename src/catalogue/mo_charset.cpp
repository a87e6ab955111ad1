// Catalogues in another charset than UTF-8: each translation is converted
// when a lookup first reaches it, so every lookup hands out UTF-8. The
// originals stay as they are: they are the program's own texts, the keys.
#include <errno.h>

#include <cstring>
#include <limits>
#include <string>

#include "catalogue/catalogue_state.h"
#include "catalogue/language.h"

namespace {

// The charset a header names, as the C library's lookup reads it: the text
// after the first "charset=" up to white space. Empty when there is none.
std::string header_charset(const char* header) {
  const char* start = std::strstr(header, "charset=");
  if (start == nullptr) return std::string();
  start += 8;
  return std::string(start, std::strcspn(start, " \t\n"));
}

// UTF-8 itself, ASCII, which is a part of it, and the placeholder of a
// template nobody filled in ("CHARSET"), which names no charset at all:
// its texts are taken as they are, as when the header names none.
bool passes_as_utf8(const std::string& charset) {
  const std::string name = nls_language::normalised_codeset(charset);
  return name == "utf8" || name == "ascii" || name == "usascii" || name == "ansix341968" || name == "charset";
}

}  // namespace

bool nls_state::Converter::append(const char* text, std::size_t length, std::string* out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // the initial shift state
  char* in = const_cast<char*>(text);
  std::size_t in_left = length;
  bool input_done = false;  // then what ends the shift state comes out
  char buffer[512];
  for (;;) {
    char* o = buffer;
    std::size_t o_left = sizeof buffer;
    const std::size_t r = input_done ? iconv(cd, nullptr, nullptr, &o, &o_left) : iconv(cd, &in, &in_left, &o, &o_left);
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

bool nlsCatalogue::prepare_charset(nlsOpenProblem* failure) {
  Strings header;
  if (header_entry_ < 0 || !strings(static_cast<std::uint32_t>(header_entry_), &header)) return true;
  const std::string charset = header_charset(header.translation);
  if (charset.empty() || passes_as_utf8(charset)) return true;
  auto converter = std::make_unique<nls_state::Converter>(charset);
  if (!converter->ok()) {
    failure->problem = "skipped: charset " + charset + " cannot be converted to UTF-8";
    return false;
  }
  lazy_->converted = std::make_unique<nls_state::ZeroedArray<std::atomic<nls_state::Converted*>>>(count_);
  lazy_->converter = std::move(converter);
  converted_from_ = charset;
  return true;
}

const nls_state::Converted* nlsCatalogue::Lazy::convert(std::uint32_t m, const char* text,
                                                           std::uint32_t length) {
  std::atomic<nls_state::Converted*>& slot = (*converted)[m];
  std::lock_guard<std::mutex> hold(converter->lock);
  if (nls_state::Converted* done = slot.load(std::memory_order_acquire)) return done;
  std::string utf8;
  if (!converter->append(text, length, &utf8) || utf8.size() > std::numeric_limits<std::uint32_t>::max() / 2)
    return nullptr;
  auto* converted = static_cast<nls_state::Converted*>(std::malloc(sizeof(nls_state::Converted) + utf8.size()));
  if (converted == nullptr) return nullptr;
  converted->length = static_cast<std::uint32_t>(utf8.size());
  std::memcpy(converted->text, utf8.data(), utf8.size());
  converted->text[utf8.size()] = '\0';
  slot.store(converted, std::memory_order_release);
  return converted;
}
