// Arbitrary bytes as a .mo file: loading (charset conversion and plural
// rule included) must refuse or accept without reading outside the image,
// and every lookup, plain or plural, must give a terminated text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "keznls/nls/nls.h"

namespace {

volatile std::size_t g_sink;

void look_up(const nlsLoadedDomain& domain, const char* key) {
  const char* result = domain.translate(key);
  if (result == nullptr) __builtin_trap();
  g_sink = std::strlen(result);  // reads the result up to its terminator
  // Every plural form the header's rule can pick, and past them, for the
  // entry's own plural text and another one.
  for (const unsigned long n : {0ul, 1ul, 2ul, 5ul, 22ul, 101ul, ~0ul}) {
    if (const char* form = domain.find_plural(key, n)) g_sink = std::strlen(form);
    nlsQuery query(key);
    query.plural = true;
    query.n = n;
    query.plural_text = "%d files in %s";
    if (const char* form = domain.find(query)) g_sink = std::strlen(form);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto domain = nlsLoadedDomain::from_bytes(data, size);
  if (!domain) return 0;
  const nlsAudit audit = domain->audit();  // checks every entry and translation
  g_sink = audit.refused + audit.first_refused.size() + audit.malformed + audit.first_malformed.size();

  static const char* const kFixed[] = {"", "Hello", "%d file", "menu\x04Open", "Language",
                                       "message 1", "Caf\xC3\xA9", "\xFF"};
  for (const char* key : kFixed) look_up(*domain, key);

  // Keys chosen by the input: the NUL-separated pieces of its last bytes
  // (bytes past the tables are allowed in a valid file).
  const std::size_t tail = size < 96 ? size : 96;
  const std::string keys(reinterpret_cast<const char*>(data + size - tail), tail);
  for (std::size_t begin = 0; begin <= keys.size();) {
    std::size_t end = keys.find('\0', begin);
    if (end == std::string::npos) end = keys.size();
    look_up(*domain, keys.substr(begin, end - begin).c_str());
    begin = end + 1;
  }
  return 0;
}
