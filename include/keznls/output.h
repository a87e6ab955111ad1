/// \file
/// The printf-like output interface and the front ends that implement it.
#ifndef KEZNLS_OUTPUT_H
#define KEZNLS_OUTPUT_H

#include "keznls/export.h"

#include <cstdarg>
#include <iosfwd>
#include <string>

#include "keznls/args.h"
#include "keznls/printf_format.h"
#include "keznls/roles.h"
#include "keznls/typed_format.h"
#include "keznls/ut/ut_string.h"

/// The typed calls that return their text, for `kezabsOutput` and
/// `keznlsTranslatorAndFormatter`: each hands its message to the owner's
/// `vtsprint` (see `kezabsOutput::tprint` for the arguments taken).
template <class Owner>
class KEZNLS_API keznlsTextCalls {
 public:
  /// The message `format` of database `name`, translated, with `args`
  /// formatted into it (`stprintf` with typed arguments).
  template <typename... A>
  std::string stprint(const char* name, keznlsFormat<A...> format, const A&... args) const {
    return owner().vtsprint({name, nullptr, format.text(), nullptr, 0, keznlsGrammar::c_printf, true},
                            keznls_args::Pack<A...>(args...).args());
  }
  /// The form for `n` (`nstprintf` with typed arguments).
  template <typename... A>
  std::string nstprint(const char* name, const char* singular, keznlsFormat<A...> plural, unsigned long n,
                       const A&... args) const {
    return owner().vtsprint({name, nullptr, singular, plural.text(), n, keznlsGrammar::c_printf, true},
                            keznls_args::Pack<A...>(args...).args());
  }
  /// In `context` (`pstprintf` with typed arguments).
  template <typename... A>
  std::string pstprint(const char* name, const char* context, keznlsFormat<A...> format, const A&... args) const {
    return owner().vtsprint({name, context, format.text(), nullptr, 0, keznlsGrammar::c_printf, true},
                            keznls_args::Pack<A...>(args...).args());
  }
  /// Both (`npstprintf` with typed arguments).
  template <typename... A>
  std::string npstprint(const char* name, const char* context, const char* singular, keznlsFormat<A...> plural,
                        unsigned long n, const A&... args) const {
    return owner().vtsprint({name, context, singular, plural.text(), n, keznlsGrammar::c_printf, true},
                            keznls_args::Pack<A...>(args...).args());
  }

 private:
  const Owner& owner() const { return static_cast<const Owner&>(*this); }
};

/// Writes messages: `name` names the database that translates `format`,
/// which then formats the arguments.
class KEZNLS_API kezabsOutput : public keznlsTextCalls<kezabsOutput> {
 public:
  kezabsOutput() {}
  /// Translates `format` through the database `name`, formats the
  /// arguments into the translation and writes the result.
  virtual void tprintf(const char* name, const char* format, ...) KEZNLS_PRINTF(3, 4) = 0;
  /// `tprintf` with the arguments as a list.
  virtual void vtprintf(const char* name, const char* format, va_list args) KEZNLS_PRINTF(3, 0) = 0;
  /// What `vtprintf` would write, returned instead of written.
  virtual utString vtsprintf(const char* name, const char* format, va_list args) const
      KEZNLS_PRINTF(3, 0) = 0;
  virtual ~kezabsOutput() {}

  /// A message that counts `n` things: the translation's form for `n` of
  /// `singular`/`plural` formats the arguments. The compiler checks the
  /// arguments against `plural`, which names the count.
  void ntprintf(const char* name, const char* singular, const char* plural, unsigned long n, ...)
      KEZNLS_PRINTF(4, 6);
  /// A message whose text is translated as meant in `context`.
  void ptprintf(const char* name, const char* context, const char* format, ...) KEZNLS_PRINTF(4, 5);
  /// Both at once.
  void nptprintf(const char* name, const char* context, const char* singular, const char* plural,
                 unsigned long n, ...) KEZNLS_PRINTF(5, 7);

  /// @{
  /// The argument-list forms. These defaults hand the message to `vmessage`.
  virtual void vntprintf(const char* name, const char* singular, const char* plural, unsigned long n,
                         va_list args) KEZNLS_PRINTF(4, 0);
  virtual void vptprintf(const char* name, const char* context, const char* format, va_list args)
      KEZNLS_PRINTF(4, 0);
  virtual void vnptprintf(const char* name, const char* context, const char* singular,
                          const char* plural, unsigned long n, va_list args) KEZNLS_PRINTF(5, 0);
  /// @}
  /// A plural or context message, whichever call it came from. This default
  /// translates nothing: it displays `n == 1 ? singular : plural`, or the
  /// text, through `vtprintf` with the name "DO_NOT_TRANSLATE".
  virtual void vmessage(const keznlsMessage& message, va_list args);

  /// `tprintf` with typed arguments: each is read as its own type (integers
  /// of 8 to 64 bits, `float`, `double`, `char`, texts as `const char*`,
  /// `std::string`, `std::string_view` or `utString`); length modifiers
  /// change nothing. A translation that reads an argument as another kind
  /// is not used: the original is. For example
  /// `out.tprint("mail", "%2$s has %1$d new messages.", count, user)`.
  template <typename... A>
  void tprint(const char* name, keznlsFormat<A...> format, const A&... args) {
    vtprint({name, nullptr, format.text(), nullptr, 0, keznlsGrammar::c_printf, true},
            keznls_args::Pack<A...>(args...).args());
  }
  /// `ntprintf` with typed arguments; `plural` is checked against them.
  template <typename... A>
  void ntprint(const char* name, const char* singular, keznlsFormat<A...> plural, unsigned long n,
               const A&... args) {
    vtprint({name, nullptr, singular, plural.text(), n, keznlsGrammar::c_printf, true},
            keznls_args::Pack<A...>(args...).args());
  }
  /// `ptprintf` with typed arguments.
  template <typename... A>
  void ptprint(const char* name, const char* context, keznlsFormat<A...> format, const A&... args) {
    vtprint({name, context, format.text(), nullptr, 0, keznlsGrammar::c_printf, true},
            keznls_args::Pack<A...>(args...).args());
  }
  /// `nptprintf` with typed arguments.
  template <typename... A>
  void nptprint(const char* name, const char* context, const char* singular, keznlsFormat<A...> plural,
                unsigned long n, const A&... args) {
    vtprint({name, context, singular, plural.text(), n, keznlsGrammar::c_printf, true},
            keznls_args::Pack<A...>(args...).args());
  }
  /// A typed call's message, translated, formatted with `args` and
  /// displayed. This default, for an output with only the argument-list
  /// calls, translates nothing: it passes `n == 1 ? singular : plural`, or
  /// the text, with the arguments as C's variadic call would, to `vtprintf`
  /// with the name "DO_NOT_TRANSLATE".
  virtual void vtprint(const keznlsMessage& message, const keznlsArgs& args);
  /// What `vtprint` would display, returned instead. This default: through
  /// `vtsprintf`, as `vtprint` goes through `vtprintf`.
  virtual std::string vtsprint(const keznlsMessage& message, const keznlsArgs& args) const;
};

/// Translate, format, display, through three borrowed roles. Shared by
/// threads when its three roles are.
class KEZNLS_API keznlsHelper : public kezabsOutput {
 public:
  /// Borrows the three roles: they must outlive the helper.
  keznlsHelper(keznlsTranslator* translator, keznlsFormatter* formatter,
               keznlsDisplayer* displayer)
      : translator_(translator), formatter_(formatter), displayer_(displayer) {}
  void tprintf(const char* name, const char* format, ...) override KEZNLS_PRINTF(3, 4);
  void vtprintf(const char* name, const char* format, va_list args) override KEZNLS_PRINTF(3, 0);
  utString vtsprintf(const char* name, const char* format, va_list args) const override
      KEZNLS_PRINTF(3, 0);
  ~keznlsHelper() override {}
  /// Translates, formats and displays a plural or context message.
  void vmessage(const keznlsMessage& message, va_list args) override;
  /// Translates, formats and displays a typed call's message.
  void vtprint(const keznlsMessage& message, const keznlsArgs& args) override;
  /// Translates and formats a typed call's message.
  std::string vtsprint(const keznlsMessage& message, const keznlsArgs& args) const override;

 private:
  // The plural and context calls, which reach the roles of a helper of
  // exactly this class without the calls between.
  friend struct keznlsHelperRoles;

  keznlsTranslator* translator_;
  keznlsFormatter* formatter_;
  keznlsDisplayer* displayer_;
};

/// Formats without translating and writes to a borrowed stream; no flush.
/// Shared by threads only as far as its stream is.
class KEZNLS_API kezabsOutputOstream : public kezabsOutput {
 public:
  /// Borrows `stream`, which must outlive the output.
  explicit kezabsOutputOstream(std::ostream* stream) : stream_(stream) {}
  void tprintf(const char* name, const char* format, ...) override KEZNLS_PRINTF(3, 4);
  void vtprintf(const char* name, const char* format, va_list args) override KEZNLS_PRINTF(3, 0);
  utString vtsprintf(const char* name, const char* format, va_list args) const override
      KEZNLS_PRINTF(3, 0);
  ~kezabsOutputOstream() override {}
  /// Writes what `vtsprint` returns.
  void vtprint(const keznlsMessage& message, const keznlsArgs& args) override;
  /// The untranslated text (`n == 1 ? singular : plural`) formatted by the
  /// runtime library's printf with the typed arguments.
  std::string vtsprint(const keznlsMessage& message, const keznlsArgs& args) const override;

 private:
  std::ostream* stream_;
};

/// Accepts every message and reads none of its arguments; shared freely.
class KEZNLS_API keznlsOutputToNowhere : public kezabsOutput {
 public:
  keznlsOutputToNowhere() {}
  void tprintf(const char* name, const char* format, ...) override KEZNLS_PRINTF(3, 4);
  void vtprintf(const char* name, const char* format, va_list args) override KEZNLS_PRINTF(3, 0);
  utString vtsprintf(const char* name, const char* format, va_list args) const override
      KEZNLS_PRINTF(3, 0);
  ~keznlsOutputToNowhere() override {}
  /// Nothing.
  void vtprint(const keznlsMessage&, const keznlsArgs&) override {}
  /// The empty text.
  std::string vtsprint(const keznlsMessage&, const keznlsArgs&) const override { return std::string(); }
};

/// A borrowed translator and formatter turning a message into a string.
/// Shared by threads when both roles are.
class KEZNLS_API keznlsTranslatorAndFormatter : public keznlsTextCalls<keznlsTranslatorAndFormatter> {
 public:
  /// Borrows both roles: they must outlive this object.
  keznlsTranslatorAndFormatter(keznlsTranslator* translator, keznlsFormatter* formatter)
      : translator_(translator), formatter_(formatter) {}
  ~keznlsTranslatorAndFormatter() {}

  /// `format` translated through the database `name`, with the arguments
  /// formatted into it.
  utString stprintf(const char* name, const char* format, ...) const KEZNLS_PRINTF(3, 4);
  /// `stprintf` with the arguments as a list.
  utString vtsprintf(const char* name, const char* format, va_list args) const
      KEZNLS_PRINTF(3, 0);

  /// @{
  /// The plural and context forms, as on `kezabsOutput`, returning the text.
  utString nstprintf(const char* name, const char* singular, const char* plural, unsigned long n,
                     ...) const KEZNLS_PRINTF(4, 6);
  utString vntsprintf(const char* name, const char* singular, const char* plural, unsigned long n,
                      va_list args) const KEZNLS_PRINTF(4, 0);
  utString pstprintf(const char* name, const char* context, const char* format, ...) const
      KEZNLS_PRINTF(4, 5);
  utString vptsprintf(const char* name, const char* context, const char* format, va_list args) const
      KEZNLS_PRINTF(4, 0);
  utString npstprintf(const char* name, const char* context, const char* singular,
                      const char* plural, unsigned long n, ...) const KEZNLS_PRINTF(5, 7);
  utString vnptsprintf(const char* name, const char* context, const char* singular,
                       const char* plural, unsigned long n, va_list args) const KEZNLS_PRINTF(5, 0);
  /// @}
  /// Any of them, for a message of any kind.
  utString vmsprintf(const keznlsMessage& message, va_list args) const;

  /// A typed call's message translated and formatted.
  std::string vtsprint(const keznlsMessage& message, const keznlsArgs& args) const;

 private:
  keznlsTranslator* translator_;
  keznlsFormatter* formatter_;
};

/// Front end that displays what its own (overridable) `vtsprintf` returns.
/// Shared by threads when its roles are.
class KEZNLS_API keznlsConnector : public kezabsOutput {
 public:
  /// Borrows the three roles: they must outlive the connector.
  keznlsConnector(keznlsTranslator* translator, keznlsFormatter* formatter,
                  keznlsDisplayer* displayer);
  keznlsConnector(const keznlsConnector&) = delete;
  keznlsConnector& operator=(const keznlsConnector&) = delete;
  void tprintf(const char* name, const char* format, ...) override KEZNLS_PRINTF(3, 4);
  void vtprintf(const char* name, const char* format, va_list args) override KEZNLS_PRINTF(3, 0);
  utString vtsprintf(const char* name, const char* format, va_list args) const override
      KEZNLS_PRINTF(3, 0);
  ~keznlsConnector() override;
  /// Displays what its pair makes of a plural or context message.
  void vmessage(const keznlsMessage& message, va_list args) override;
  /// Displays what its own (overridable) `vtsprint` returns.
  void vtprint(const keznlsMessage& message, const keznlsArgs& args) override;
  /// What its pair makes of a typed call's message.
  std::string vtsprint(const keznlsMessage& message, const keznlsArgs& args) const override;

 private:
  keznlsDisplayer* displayer_;
  keznlsTranslatorAndFormatter translator_and_formatter_;
};

#endif  // KEZNLS_OUTPUT_H
