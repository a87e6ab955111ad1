#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>

#include "keznls/roles.h"
#include "keznls/ut/ut_format.h"
#include "format/typed_printf.h"
#include "util/va_args.h"
#include "util/kept.h"
#include "output/pipeline.h"


keznlsTranslatorDefault::keznlsTranslatorDefault() {}

unsigned keznlsTranslatorDefault::keeps() const { return keznls_kept_if_exactly(*this); }

utString keznlsTranslatorDefault::translate(const char* /*name*/, const char* text) { return utString(text); }

const char* keznlsTranslatorDefault::borrow_translation(const char* name, const char* context, const char* text,
                                                        const char* plural, unsigned long n) {
  if (!keznls_keeps_copying_call(keeps(), {name, context, text, plural, n})) return nullptr;
  return plural != nullptr && n != 1 ? plural : text;
}

utString keznlsTranslator::translate_plural(const char* /*name*/, const char* singular, const char* plural,
                                            unsigned long n) {
  return utString(n == 1 ? singular : plural);
}

utString keznlsTranslator::translate_in_context(const char* /*name*/, const char* /*context*/, const char* text) {
  return utString(text);
}

utString keznlsTranslator::translate_plural_in_context(const char* /*name*/, const char* /*context*/,
                                                       const char* singular, const char* plural, unsigned long n) {
  return utString(n == 1 ? singular : plural);
}

const char* keznlsTranslator::borrow_translation(const char*, const char*, const char*, const char*,
                                                 unsigned long) {
  return nullptr;
}

const char* keznlsTranslator::lend(const keznlsMessage& m) {
  const char* lent = borrow_translation(m.name, m.context, m.text, m.plural, m.n);
  if (lent == nullptr) return nullptr;
  return keznls_pipeline::suited(m.grammar, lent, m.plural != nullptr && m.n != 1 ? m.plural : m.text);
}

int keznlsFormatter::vformat_into(char*, int, const char*, va_list) { return -1; }

keznlsGrammar keznlsFormatter::grammar() const { return keznlsGrammar::c_printf; }

unsigned keznlsTranslator::keeps() const { return 0; }

unsigned keznlsFormatter::keeps() const { return 0; }

bool keznlsFormatter::tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) {
  const bool engine = grammar() == keznlsGrammar::engine;
  std::string rewritten;
  if (!keznls_typed::for_varargs(rewritten, format, args, engine)) return false;
  const keznls_typed::TerminatedArgs passed(args);
  struct Call {
    keznlsFormatter* self;
    keznlsTextSink* sink;
  } call{this, &sink};
  args.as_varargs(
      passed.get(),
      [](void* context, const char* f, va_list list) -> int {
        const Call& c = *static_cast<Call*>(context);
        char stage[1024];
        const int n = c.self->vformat_into(stage, sizeof stage, f, list);
        if (n >= 0) {
          std::memcpy(c.sink->room(static_cast<std::size_t>(n)), stage, static_cast<std::size_t>(n) + 1);
          return n;
        }
        const utString text = c.self->vformat(f, list);
        const char* shown = text.invalid() ? "" : text.c_str();
        const std::size_t size = std::strlen(shown);
        std::memcpy(c.sink->room(size), shown, size + 1);
        return 0;
      },
      &call, rewritten.c_str());
  return true;
}

keznlsFormatterDefault::keznlsFormatterDefault() {}

unsigned keznlsFormatterDefault::keeps() const { return keznls_kept_if_exactly(*this); }

bool keznlsFormatterDefault::tformat(keznlsTextSink& sink, const char* format, const keznlsArgs& args) {
  // A derived class's own vformat or vformat_into is asked through them.
  if ((keeps() & (keznls_kept_vformat | keznls_kept_vformat_into)) != (keznls_kept_vformat | keznls_kept_vformat_into))
    return keznlsFormatter::tformat(sink, format, args);
  std::string text;
  if (!keznls_typed::c_printf(text, format, args)) return false;
  std::memcpy(sink.room(text.size()), text.c_str(), text.size() + 1);
  return true;
}

utString keznlsFormatterDefault::format(const char* format, ...) { KEZNLS_WITH_ARGS(format, vformat(format, args)); }

utString keznlsFormatterDefault::vformat(const char* format, va_list args) {
  constexpr int kFirstSize = 4192;
  utFormatBuffer buffer{new char[kFirstSize], kFirstSize};
  // A fresh buffer of twice the size per attempt; the old one goes first.
  const int n = ut_vformat(buffer, [](utFormatBuffer& b, int needed) {
    const int size = b.size <= (1 << 30) ? b.size * 2 : needed;
    delete[] b.text;
    b.text = nullptr;  // a throwing new must not leave a freed pointer behind
    b.text = new char[static_cast<std::size_t>(size)];
    b.size = size;
  }, format, args);
  // Not a short buffer but a conversion the runtime refused: no text.
  if (n < 0) buffer.text[0] = '\0';
  return utString(ut_string_claim, buffer.text, 0);
}

int keznlsFormatterDefault::vformat_into(char* buffer, int size, const char* format, va_list args) {
  // A derived class that formats otherwise through vformat is asked there.
  if ((keeps() & keznls_kept_vformat) == 0) return -1;
  va_list pass;
  va_copy(pass, args);
  const int n = std::vsnprintf(buffer, static_cast<std::size_t>(size), format, pass);
  va_end(pass);
  if (n < 0) {
    buffer[0] = '\0';  // as vformat: a conversion the runtime refused leaves no text
    return 0;
  }
  return n < size ? n : -1;
}

void keznlsDisplayer::display(std::string_view text) {
  char stack[256];
  std::string heap;
  char* copy = stack;
  if (text.size() >= sizeof stack) {
    heap.assign(text.data(), text.size());
    copy = &heap[0];
  } else {
    std::memcpy(stack, text.data(), text.size());
    stack[text.size()] = '\0';
  }
  display(static_cast<const char*>(copy));
}

void keznlsDisplayerDefault::display(const char* text) {
  // One lock around the text and its flush: another thread's text cannot
  // come between them.
  flockfile(stdout);
  const bool written = std::printf("%s", text != nullptr ? text : "") >= 0;
  const bool flushed = std::fflush(stdout) == 0;
  funlockfile(stdout);
  if (!written || !flushed) failed_.store(true, std::memory_order_relaxed);
}

void keznlsDisplayerOstream::display(const char* text) {
  if (text == nullptr) return;
  // A stream already failed drops the text as surely as one failing now.
  if (!(*stream_ << text)) failed_.store(true, std::memory_order_relaxed);
}
