// The kinds of lookup compared: each asks glibc and our translator the same
// question about one catalogue entry.
#ifndef KEZNLS_TOOLS_COMPARE_LOOKUPS_H
#define KEZNLS_TOOLS_COMPARE_LOOKUPS_H

#include <string>
#include <vector>

#include "catalogue_file.h"
#include "format/format_check.h"
#include "keznls/translator.h"

namespace keznls_compare {

/// The count of a lookup that takes none.
constexpr unsigned long kNoCount = static_cast<unsigned long>(-1);

/// One kind of lookup. A plural kind asks each plural entry at many counts;
/// a context kind asks only the entries whose key holds a context.
struct Lookup {
  const char* name;
  /// The counts `entry` is asked at (`kNoCount` once for a kind without
  /// counts); empty when the kind does not apply.
  std::vector<unsigned long> (*counts)(const Entry& entry);
  /// glibc's answer; the text stays valid for the life of the process.
  const char* (*glibc)(const char* domain, const Entry& entry, unsigned long n);
  std::string (*ours)(keznlsTranslatorWithDatabases& translator, const char* domain, const Entry& entry,
                      unsigned long n);
  /// The answer of a side that has no translation.
  std::string (*untranslated)(const Entry& entry, unsigned long n);
  /// The format a translation stands in for, and how much of it a
  /// translation must read, as our catalogue layer checks it.
  std::string (*original)(const Entry& entry);
  nls_format::Match match;
};

/// Every kind compared, in order.
const std::vector<Lookup>& lookups();

/// How two answers differ. kRefused is no difference of lookup: glibc's
/// answer reads other arguments than its original, which our layer refuses
/// on purpose, and ours is the original or a compatible translation.
enum Difference { kSame = -1, kOursUntranslated, kGlibcUntranslated, kBothTranslated, kRefused, kDifferenceKinds };

Difference classify(const Lookup& lookup, const Entry& entry, unsigned long n, const std::string& glibc,
                    const std::string& ours);

/// One line per kind, for the report.
const char* describe(Difference difference);

}  // namespace keznls_compare

#endif  // KEZNLS_TOOLS_COMPARE_LOOKUPS_H
