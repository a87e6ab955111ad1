// The messages of one compiled catalogue (.mo file), read on their own so the
// comparison does not trust the catalogue layer it is checking.
#ifndef KEZNLS_TOOLS_COMPARE_CATALOGUE_FILE_H
#define KEZNLS_TOOLS_COMPARE_CATALOGUE_FILE_H

#include <string>
#include <vector>

namespace keznls_compare {

struct Entry {
  std::string key;          ///< msgid, or msgctxt "\004" msgid
  std::string plural;       ///< msgid_plural; empty for a plain entry
  std::string translation;  ///< the first form; empty when untranslated
  bool has_plural = false;
};

struct CatalogueFile {
  std::string charset;         ///< from the header's Content-Type; empty when none
  std::vector<Entry> entries;  ///< every entry but the header's
  /// The header names UTF-8.
  bool is_utf8() const;
};

/// Reads `path`; false with `error` set when it cannot be read or is not a
/// well-formed catalogue.
bool read_catalogue(const std::string& path, CatalogueFile& catalogue, std::string& error);

}  // namespace keznls_compare

#endif  // KEZNLS_TOOLS_COMPARE_CATALOGUE_FILE_H
