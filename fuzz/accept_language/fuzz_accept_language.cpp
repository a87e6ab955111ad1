// Arbitrary bytes as an Accept-Language value: the list must be made of
// names safe as one path component, each once, few and short, and an
// empty entry around the value must change nothing.
//
// Input: the header (up to the first NUL).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "keznls/languages.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

bool is_name_byte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '@';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string header(reinterpret_cast<const char*>(data), size);
  const utString result = keznls_accept_language_list(header.c_str());
  check(!result.invalid());
  const std::string list = result.c_str();

  // "lll_CCC@devanagari" is the longest name; at most sixteen of them.
  check(list.size() <= 16 * 18 + 15);
  std::string names[16];
  int count = 0;
  std::size_t begin = 0;
  while (!list.empty() && begin <= list.size()) {
    std::size_t end = list.find(':', begin);
    if (end == std::string::npos) end = list.size();
    const std::string name = list.substr(begin, end - begin);
    check(count < 16 && !name.empty() && name.size() <= 18);
    check(name[0] >= 'a' && name[0] <= 'z');
    for (const char c : name) check(is_name_byte(c));
    for (int i = 0; i < count; ++i) check(names[i] != name);
    names[count++] = name;
    begin = end + 1;
  }

  const std::string surrounded = "," + header.substr(0, std::strlen(header.c_str())) + " ,";
  check(list == keznls_accept_language_list(surrounded.c_str()).c_str());
  return 0;
}
