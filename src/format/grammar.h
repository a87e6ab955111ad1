// What the engine's grammar holds: used where a translation is chosen, so
// that a formatter over the engine never gets a format it shows as errors.
#ifndef KEZNLS_SRC_ENGINE_GRAMMAR_H
#define KEZNLS_SRC_ENGINE_GRAMMAR_H

namespace keznls_engine {

/// Whether the engine shows `format` without an error marker: every
/// conversion in its grammar, at most nine, and each argument named by
/// exactly one of them, none left out.
bool shows(const char* format);

}  // namespace keznls_engine

#endif  // KEZNLS_SRC_ENGINE_GRAMMAR_H
