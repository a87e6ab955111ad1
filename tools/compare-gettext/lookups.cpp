#include "lookups.h"

#include <libintl.h>

namespace keznls_compare {

namespace {

std::vector<unsigned long> once(const Entry&) { return {kNoCount}; }

// dgettext with the whole key finds context entries ("ctx\004id") and plural
// entries (by their singular) alike, and gives a plural entry's first form.
const Lookup kPlain = {
    "dgettext",
    once,
    [](const char* domain, const Entry& entry, unsigned long) -> const char* {
      return dgettext(domain, entry.key.c_str());
    },
    [](keznlsTranslatorWithDatabases& translator, const char* domain, const Entry& entry, unsigned long) {
      return std::string(translator.translate(domain, entry.key.c_str()).c_str());
    },
    [](const Entry& entry, unsigned long) { return entry.key; },
    // A context key is "ctx\004id": the context is no part of the format.
    [](const Entry& entry) { return entry.key.substr(entry.key.find('\004') + 1); },
    nls_format::Match::kAll,
};

// A plural kind (dngettext against translate_plural at 0..30, 100..130 and
// a few large counts) and a context kind (the key split at "\004", against
// translate_in_context) go here as further entries.

}  // namespace

const std::vector<Lookup>& lookups() {
  static const std::vector<Lookup> kinds = {kPlain};
  return kinds;
}

Difference classify(const Lookup& lookup, const Entry& entry, unsigned long n, const std::string& glibc,
                    const std::string& ours) {
  if (glibc == ours) return kSame;
  const std::string untranslated = lookup.untranslated(entry, n);
  const std::string original = lookup.original(entry);
  const auto usable = [&](const std::string& answer) {
    return nls_format::compatible(original.c_str(), answer.c_str(), lookup.match);
  };
  if (!usable(glibc) && (ours == untranslated || usable(ours))) return kRefused;
  if (ours == untranslated) return kOursUntranslated;
  if (glibc == untranslated) return kGlibcUntranslated;
  return kBothTranslated;
}

const char* describe(Difference difference) {
  switch (difference) {
    case kOursUntranslated: return "ours untranslated where glibc translates";
    case kGlibcUntranslated: return "glibc untranslated where ours translates";
    case kBothTranslated: return "both translated, bytes differ";
    case kRefused: return "refused as unsafe: glibc's answer reads other arguments than its original";
    default: return "same";
  }
}

}  // namespace keznls_compare
