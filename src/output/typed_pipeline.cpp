// The road of a typed call: translate, format from typed arguments (the
// original where the translation reads them otherwise), display.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "format/typed_printf.h"
#include "output/pipeline.h"

namespace keznls_pipeline {

namespace {

// Short messages on the stack, longer ones in a block of their own.
class DisplaySink final : public keznlsTextSink {
 public:
  char* room(std::size_t size) override {
    if (size < sizeof stack_) return text_ = stack_;
    heap_.reset(new char[size + 1]);
    return text_ = heap_.get();
  }
  const char* text() const { return text_; }

 private:
  char stack_[1024];
  std::unique_ptr<char[]> heap_;
  char* text_ = nullptr;
};

const char* original_of(const keznlsMessage& m) { return m.plural != nullptr && m.n != 1 ? m.plural : m.text; }

// The message for a typed formatting, which checks the translation itself.
keznlsMessage typed(const keznlsMessage& m) {
  return {stored(m.name), stored(m.context), stored(m.text), stored(m.plural), stored(m.n), keznlsGrammar::c_printf,
          true};
}

}  // namespace

void format_typed(keznlsFormatter& formatter, keznlsTextSink& sink, const char* format, const char* original,
                  const keznlsArgs& args) {
  if (formatter.tformat(sink, format, args)) return;
  if (format != original && formatter.tformat(sink, original, args)) return;
  const std::string shown = keznls_typed::refused(original);
  std::memcpy(sink.room(shown.size()), shown.c_str(), shown.size() + 1);
}

namespace {

// `format` with `args` displayed through a sink; where the translation
// does not suit the arguments (`refused`: known already), the original.
__attribute__((noinline)) void show_through_sink(keznlsFormatter& formatter, bool own, keznlsDisplayer& displayer,
                                                  const Lent& format, const keznlsMessage& m, const keznlsArgs& args,
                                                  bool refused) {
  const char* original = original_of(m);
  DisplaySink sink;
  if (!refused)
    refused = own ? !keznls_engine::tformat_lent(keznlsFormatterSimpleEngine::decimal_point(formatter), sink,
                                                 format.text, format.stamp, args)
                  : !formatter.tformat(sink, format.text, args);
  if (refused) format_typed(formatter, sink, original, original, args);
  displayer.display(sink.text());
}

// `format` with `args` displayed; where the translation does not suit the
// arguments, the original. `own`: the formatter is exactly the engine's,
// whose tformat is the engine's own call. In the caller's frame.
__attribute__((always_inline)) inline void show_typed(keznlsFormatter& formatter, bool own,
                                                      keznlsDisplayer& displayer, const Lent& format,
                                                      const keznlsMessage& m, const keznlsArgs& args) {
  if (as_it_is(formatter, own, format)) return displayer.display(format.text);
  bool refused = false;
  if (own) {
    // Mostly written straight into room of our own, without a sink.
    char text[keznls_engine::kLentRoom];
    const int length = keznls_engine::tformat_lent_into(keznlsFormatterSimpleEngine::decimal_point(formatter), text,
                                                        format.text, format.stamp, args);
    if (length >= 0) return displayer.display(text);
    refused = length == keznls_engine::kTypedRefused;
  }
  show_through_sink(formatter, own, displayer, format, m, args, refused);
}

// A translator that lent nothing: its copy.
__attribute__((noinline)) void print_copied_typed(keznlsTranslator& translator, keznlsFormatter& formatter,
                                                   bool own, keznlsDisplayer& displayer, const keznlsMessage& m,
                                                   const keznlsArgs& args) {
  const Translated translated = translate(translator, m);
  show_typed(formatter, own, displayer, Lent{translated.text()}, m, args);
}

// `m`, asked as a typed formatting needs.
__attribute__((always_inline)) inline void print_asked(keznlsTranslator& translator, keznlsFormatter& formatter,
                                                       keznlsDisplayer& displayer, const keznlsMessage& m,
                                                       const keznlsArgs& args) {
  const bool own = exactly<keznlsFormatterSimple>(formatter);
  // A lent text needs no Translated around it: the usual road, kept short.
  const Lent lent = lend(translator, m);
  if (lent.text == nullptr) return print_copied_typed(translator, formatter, own, displayer, m, args);
  show_typed(formatter, own, displayer, lent, m, args);
}

// Another caller's message, copied to ask as a typed formatting needs.
__attribute__((noinline)) void print_retyped(keznlsTranslator& translator, keznlsFormatter& formatter,
                                              keznlsDisplayer& displayer, const keznlsMessage& message,
                                              const keznlsArgs& args) {
  print_asked(translator, formatter, displayer, typed(message), args);
}

}  // namespace

void show_typed_rest(keznlsFormatter& formatter, keznlsDisplayer& displayer, const Lent& format,
                     const keznlsMessage& m, const keznlsArgs& args, bool refused) {
  show_through_sink(formatter, true, displayer, format, m, args, refused);
}

void print_typed_any(keznlsTranslator& translator, keznlsFormatter& formatter, keznlsDisplayer& displayer,
                     const keznlsMessage& message, const keznlsArgs& args) {
  // The typed calls ask so themselves.
  if (message.typed && message.grammar == keznlsGrammar::c_printf)
    return print_asked(translator, formatter, displayer, message, args);
  print_retyped(translator, formatter, displayer, message, args);
}

std::string to_string_typed(keznlsTranslator& translator, keznlsFormatter& formatter, const keznlsMessage& message,
                            const keznlsArgs& args) {
  const keznlsMessage m = typed(message);
  const Translated translated = translate(translator, m);
  std::string text;
  StringSink sink(text);
  format_typed(formatter, sink, translated.text(), original_of(m), args);
  return text;
}

}  // namespace keznls_pipeline
