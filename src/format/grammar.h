// What the engine offers the rest of the library: the grammar it holds,
// used where a translation is chosen so that a formatter over the engine
// never gets a format it shows as errors, and formatting a lent text.
#ifndef KEZNLS_SRC_ENGINE_GRAMMAR_H
#define KEZNLS_SRC_ENGINE_GRAMMAR_H

#include <cstdarg>
#include <cstdint>

#include "keznls/args.h"
#include "keznls/ut/ut_string.h"

namespace keznls_engine {

/// Room `vsprintf_lent` needs in its buffer.
constexpr int kLentRoom = 512;

/// The engine's `gui_vsprintf_into` for the library's pipeline, with
/// `decimal_point`: `buffer` has room for `size` >= kLentRoom characters
/// and may be written to even where -1 comes back, which it also does for
/// a text longer than kLentRoom allows. `lent`: the format's stamp
/// (ut_lent_stamp) where the library lent it, else 0.
int vsprintf_lent(const utString& decimal_point, char* buffer, int size, const char* format, std::uint64_t lent,
                  va_list args);

/// The engine's `tformat` with `decimal_point`, `format` lent at stamp
/// `lent` as for vsprintf_lent.
bool tformat_lent(const utString& decimal_point, keznlsTextSink& sink, const char* format, std::uint64_t lent,
                  const keznlsArgs& args);

/// tformat_lent's usual road, straight into `buffer` (room for kLentRoom
/// characters, which may be written to whatever comes back): the text's
/// length; kTypedRefused where the arguments do not suit `format`; -1
/// where the text takes tformat_lent's road (a format not read yet in this
/// thread, or a text longer than kLentRoom allows).
constexpr int kTypedRefused = -2;
int tformat_lent_into(const utString& decimal_point, char* buffer, const char* format, std::uint64_t lent,
                      const keznlsArgs& args);

/// Whether the engine shows `format` without an error marker: every
/// conversion in its grammar, at most nine, and each argument named by
/// exactly one of them, none left out.
bool shows(const char* format);

}  // namespace keznls_engine

#endif  // KEZNLS_SRC_ENGINE_GRAMMAR_H
