/// \file
/// Library-wide output object: translate a format, format it printf-style and
/// write it to one of two borrowed streams.
#ifndef KEZNLS_LIBRARY_NLS_H
#define KEZNLS_LIBRARY_NLS_H

#include "keznls/export.h"

#include <cstdarg>

#include "keznls/args.h"
#include "keznls/printf_format.h"
#include "keznls/typed_format.h"

class keznlsBaseStream;
class nlsDataBase;

/// Holds one message database (owned), a stream for messages and one for
/// error messages (borrowed). Without a stream a message is formatted and
/// dropped. Output calls may run from several threads at once, each text
/// formatted on its own call's stack, as far as the streams allow; setting
/// the database or a stream is one thread's, with no output running.
class KEZNLS_API keznlsLibraryNls {
 public:
  keznlsLibraryNls() : nls_data_base_(nullptr), stream_(nullptr), error_stream_(nullptr) {}
  ~keznlsLibraryNls();
  keznlsLibraryNls(const keznlsLibraryNls&) = delete;
  keznlsLibraryNls& operator=(const keznlsLibraryNls&) = delete;

  /// Replaces the database with one opened from catalogue `source` and
  /// database `name`; the old one is destroyed first.
  void nls_data_base(const char* source, const char* name);
  /// Sets the destination of `output` and `output_val`; null drops them.
  void stream(keznlsBaseStream* stream) { stream_ = stream; }
  /// Sets the destination of the error forms; null drops them.
  void error_stream(keznlsBaseStream* stream) { error_stream_ = stream; }

  /// Translates `format`, formats the arguments into it and writes the text
  /// in one piece to the stream.
  void output(const char* format, ...) KEZNLS_PRINTF(2, 3);
  /// `output` to the error stream.
  void output_error(const char* format, ...) KEZNLS_PRINTF(2, 3);
  /// `output` with the arguments as a list.
  void output_val(const char* format, va_list args) KEZNLS_PRINTF(2, 0);
  /// `output_error` with the arguments as a list.
  void output_error_val(const char* format, va_list args) KEZNLS_PRINTF(2, 0);

  /// `output` with typed arguments, each read as its own type (see
  /// `kezabsOutput::tprint`); a translation that reads an argument as
  /// another kind is not used.
  template <typename... A>
  void print(keznlsFormat<A...> format, const A&... args) {
    print_typed(format.text(), stream_, keznls_args::Pack<A...>(args...).args());
  }
  /// `output_error` with typed arguments.
  template <typename... A>
  void print_error(keznlsFormat<A...> format, const A&... args) {
    print_typed(format.text(), error_stream_, keznls_args::Pack<A...>(args...).args());
  }

 private:
  void output_string(const char* format, const keznlsBaseStream* destination, va_list args);
  void print_typed(const char* format, const keznlsBaseStream* destination, const keznlsArgs& args);

  nlsDataBase* nls_data_base_;
  keznlsBaseStream* stream_;
  keznlsBaseStream* error_stream_;
};

/// @{
/// Accepted for source compatibility with stream-style callers; the value
/// is neither formatted nor written.
KEZNLS_API keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, char value);
KEZNLS_API keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, int value);
KEZNLS_API keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, unsigned int value);
KEZNLS_API keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, double value);
KEZNLS_API keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, void* value);
KEZNLS_API keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, const char* value);
/// @}

#endif  // KEZNLS_LIBRARY_NLS_H
