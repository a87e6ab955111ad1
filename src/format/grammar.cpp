#include "format/grammar.h"

#include "format/format_walk.h"
#include "format/parse_conversion.h"

namespace keznls_engine {

bool shows(const char* format) {
  struct Check {
    keznlsPercent record;
    unsigned named = 0;  // bit s: slot s is named
    int count = 0;
    void text(const char*, const char*) {}
    bool percent_sign(const char*) { return true; }
    void end(const char*) {}
    bool conversion(const ConversionAt& c, const char*& p) {
      const unsigned bit = 1u << c.slot;
      if (c.slot == kSlots || (named & bit) != 0 || !parse_conversion(record, p)) return false;
      named |= bit;
      ++count;
      return true;
    }
  } check;
  // The slots rendered are 0 to count - 1: each must be named, so no
  // conversion is left "<unset>" and no slot renders "<error>".
  return walk_format(format, check) && check.named == (1u << check.count) - 1;
}

}  // namespace keznls_engine
