#include "keznls/library_nls.h"

#include "keznls/streams.h"
#include "keznls/nls/nls.h"
#include "keznls/ut/ut_format.h"
#include "format/typed_printf.h"
#include "util/va_args.h"

keznlsLibraryNls::~keznlsLibraryNls() { delete nls_data_base_; }

void keznlsLibraryNls::nls_data_base(const char* source, const char* name) {
  delete nls_data_base_;
  // Stays null should the construction throw.
  nls_data_base_ = nullptr;
  nls_data_base_ = new nlsDataBase(source, name);
}

void keznlsLibraryNls::output(const char* format, ...) { KEZNLS_WITH_ARGS(format, output_string(format, stream_, args)); }

void keznlsLibraryNls::output_error(const char* format, ...) {
  KEZNLS_WITH_ARGS(format, output_string(format, error_stream_, args));
}

void keznlsLibraryNls::output_val(const char* format, va_list args) {
  output_string(format, stream_, args);
}

void keznlsLibraryNls::output_error_val(const char* format, va_list args) {
  output_string(format, error_stream_, args);
}

void keznlsLibraryNls::output_string(const char* format, const keznlsBaseStream* destination,
                                     va_list args) {
  if (nls_data_base_ != nullptr) format = (*nls_data_base_)[format];

  // Formatted on this call's stack, so calls from several threads never
  // share a buffer: a bounded format reports the exact length, so a short
  // text needs no second pass.
  char buffer[1024];
  const utFormatted text(buffer, sizeof buffer, format, args);
  // A conversion the runtime cannot render (say, an unencodable wide
  // character) leaves no text worth showing.
  if (text.length() < 0) return;
  if (destination != nullptr) *destination << text.text();
}

void keznlsLibraryNls::print_typed(const char* original, const keznlsBaseStream* destination,
                                   const keznlsArgs& args) {
  const char* format = nls_data_base_ != nullptr ? (*nls_data_base_)[original] : original;
  std::string text;
  if (!keznls_typed::c_printf(text, format, args)) {
    text.clear();
    if (format == original || !keznls_typed::c_printf(text, original, args)) text = keznls_typed::refused(original);
  }
  if (destination != nullptr) *destination << text.c_str();
}

keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, char) { return nls; }
keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, int) { return nls; }
keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, unsigned int) { return nls; }
keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, double) { return nls; }
keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, void*) { return nls; }
keznlsLibraryNls& operator<<(keznlsLibraryNls& nls, const char*) { return nls; }
