// What keeps() answers for the library's own roles.
#ifndef KEZNLS_UTIL_KEPT_H
#define KEZNLS_UTIL_KEPT_H

#include <typeinfo>

#include "keznls/roles.h"

// Every member for an object of exactly the class `Own`; nothing for a class
// derived from it, which says itself what it keeps: a fast road stands in for
// members the library wrote, and an override it cannot see must never be
// passed by.
template <typename Own>
unsigned keznls_kept_if_exactly(const Own& object) {
  // The very same type information, as keznls_pipeline::exactly() asks.
  return &typeid(object) == &typeid(Own) ? static_cast<unsigned>(keznls_kept_all) : 0u;
}

// Whether `kept` (a translator's keeps()) holds the copying call that
// answers `m`: a derived class that answers it otherwise must be asked
// through it, not lent an answer.
inline bool keznls_keeps_copying_call(unsigned kept, const keznlsMessage& m) {
  const unsigned call = m.plural != nullptr
                            ? (m.context != nullptr ? keznls_kept_translate_plural_in_context : keznls_kept_translate_plural)
                            : (m.context != nullptr ? keznls_kept_translate_in_context : keznls_kept_translate);
  return (kept & call) != 0;
}

#endif  // KEZNLS_UTIL_KEPT_H
