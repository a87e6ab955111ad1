// keznls-printf: printf for shell scripts, with the format translated
// through a message catalogue first.
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <keznls/keznls.h>

#include "arguments.h"
#include "escapes.h"
#include "format/format_check.h"
#include "format_plan.h"
#include "output/pipeline.h"
#include "render.h"
#include "util/ut_quoted.h"

namespace {

const char kUsage[] =
    "Usage: keznls-printf [OPTION]... FORMAT [ARGUMENT]...\n"
    "Translate FORMAT through a message catalogue, format the ARGUMENTs into\n"
    "it and print the result. Nothing is added: end FORMAT with \\n for a line.\n"
    "\n"
    "  --catalogue DIR        catalogue folder (or DIR:DIR...), holding\n"
    "                         <language>/LC_MESSAGES/<NAME>.mo\n"
    "                         (default " KEZNLS_DEFAULT_CATALOGUE ")\n"
    "  --database NAME        translate through the catalogue NAME; without it\n"
    "                         FORMAT is used as it is\n"
    "  --formatter KIND       default: the C library's printf, C number style\n"
    "                         simple: keznls's own engine, see --decimal-point\n"
    "                         locale: the C library's printf in the user's locale\n"
    "  --decimal-point TEXT   decimal point of the simple formatter (default \".\")\n"
    "  --context TEXT         the catalogue's entry for FORMAT in this context\n"
    "                         (msgctxt), for words meant more than one way\n"
    "  --plural TEXT --count N\n"
    "                         FORMAT is the singular, TEXT the plural: the\n"
    "                         catalogue's form for N things is used (untranslated:\n"
    "                         FORMAT for 1, TEXT otherwise); the ARGUMENTs are\n"
    "                         TEXT's, which FORMAT may leave out: pass N as one\n"
    "                         if TEXT shows it\n"
    "  --explain              say which catalogue files were tried for NAME in\n"
    "                         which order and what became of each, then exit\n"
    "  --help                 show this help and exit\n"
    "  --version              show the tool's version and that of the keznls\n"
    "                         library it runs with, and exit\n"
    "\n"
    "Conversions: %[n$][0][width][.precision][l]C, C one of d u x X (32-bit\n"
    "integers), e E f g G (numbers; the user's decimal point is accepted) and\n"
    "s (text); at most nine per format; %% prints %. With the default and locale\n"
    "formatters a translation may use all of C's printf (flags, %i, %c, *, ...)\n"
    "as long as it reads the same arguments; with simple, one outside the\n"
    "grammar above gives way to FORMAT. The language comes from LC_ALL,\n"
    "LC_MESSAGES or LANG, and from the LANGUAGE list unless that locale is C or\n"
    "POSIX. Backslash escapes \\n \\t \\\\ \\NNN \\xHH ... in FORMAT, --plural and\n"
    "--context are expanded before translation; one above \\377 or one that\n"
    "yields a NUL byte is refused.\n"
    "\n"
    "Exit status: 0 on success, 1 when standard output cannot be written, 2 on\n"
    "bad usage or bad input (nothing printed).\n";

struct Options {
  std::string catalogue = KEZNLS_DEFAULT_CATALOGUE;
  std::string database = "DO_NOT_TRANSLATE";
  std::string formatter = "default";
  std::string decimal_point = ".";
  std::optional<std::string> context;  // --context
  std::optional<std::string> plural;   // --plural
  std::optional<std::string> count;    // --count, as typed
  unsigned long n = 0;                 // --count's value
  bool decimal_point_given = false;
  bool explain = false;
  const char* format = nullptr;
  std::vector<const char*> arguments;
};

int refuse(const std::string& reason) {
  std::cerr << "keznls-printf: " << reason << '\n';
  return 2;
}

// Everything the tool prints goes out here, and a text that does not reach
// standard output whole (a full disk, a closed descriptor) is reported as the
// shell's printf reports it. Returns the exit status.
int print(const char* text) {
  keznlsDisplayerDefault screen;
  errno = 0;
  screen.display(text);
  if (!screen.failed()) return 0;
  const int error = errno;
  std::cerr << "keznls-printf: write error: "
            << (error != 0 ? std::strerror(error) : "standard output did not take the whole text") << '\n';
  return 1;
}

int usage_error(const std::string& reason) {
  std::cerr << "keznls-printf: " << reason << "\nTry 'keznls-printf --help'.\n";
  return 2;
}

// Returns -1 to go on, else the exit status.
int parse_options(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg.compare(0, 2, "--") != 0) break;
    if (arg == "--help") return print(kUsage);
    if (arg == "--version") {
      // The tool's own version, then the library's it runs with: a newer
      // libkeznls may have been installed since the tool was built.
      return print(("keznls-printf (keznls) " KEZNLS_VERSION_STRING "\nlibrary: keznls " +
                    std::string(keznls_version()) + "\n").c_str());
    }
    if (arg == "--explain") {
      options.explain = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::optional<std::string>* optional = name == "--context"  ? &options.context
                                           : name == "--plural" ? &options.plural
                                           : name == "--count"  ? &options.count
                                                                : nullptr;
    if (optional != nullptr) optional->emplace();
    std::string* target = name == "--catalogue"       ? &options.catalogue
                          : name == "--database"      ? &options.database
                          : name == "--formatter"     ? &options.formatter
                          : name == "--decimal-point" ? &options.decimal_point
                          : optional != nullptr       ? &**optional
                                                      : nullptr;
    if (target == nullptr) return usage_error("unknown option " + name);
    if (equals != std::string::npos) {
      *target = arg.substr(equals + 1);
    } else if (i + 1 < argc) {
      *target = argv[++i];
    } else {
      return usage_error("option " + name + " needs a value");
    }
    if (target == &options.decimal_point) options.decimal_point_given = true;
  }
  if (options.decimal_point.empty()) {
    return usage_error("--decimal-point needs a text: an empty one would run the digits of 1.5 together as 15");
  }
  if (options.plural.has_value() != options.count.has_value()) {
    return usage_error("--plural and --count go together: the count chooses between FORMAT and the plural");
  }
  if (options.count.has_value()) {
    const std::string& count = *options.count;
    char* end = nullptr;
    errno = 0;
    options.n = std::strtoul(count.c_str(), &end, 10);
    if (count.empty() || count.find_first_not_of("0123456789") != std::string::npos || errno == ERANGE)
      return usage_error("--count takes a whole number of things, not \"" + count + "\"");
  }
  if (options.formatter != "default" && options.formatter != "simple" &&
      options.formatter != "locale") {
    return usage_error("--formatter takes default, simple or locale, not \"" +
                       options.formatter + "\"");
  }
  if (options.decimal_point_given && options.formatter != "simple") {
    return usage_error("--decimal-point goes with --formatter simple");
  }
  if (options.explain) return -1;
  if (i >= argc) return usage_error("missing FORMAT");
  options.format = argv[i++];
  options.arguments.assign(argv + i, argv + argc);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const int status = parse_options(argc, argv, options); status >= 0) return status;

  // Record the user's number conventions for the locale formatter and the
  // parser's second try, then work in "C" so the default formatter and the
  // first try are the same on every machine.
  std::setlocale(LC_ALL, "");
  keznlsLocaleNumbers::save();
  std::setlocale(LC_NUMERIC, "C");

  keznlsTranslatorWithDatabases translator(options.catalogue.c_str());
  if (options.explain) return print(translator.explain(options.database.c_str()).c_str());
  std::string source, plural, context;
  if (std::string error = keznls_printf::expand_escapes(options.format, "FORMAT", "format", source); !error.empty())
    return refuse(error);
  if (options.plural) {
    if (std::string error = keznls_printf::expand_escapes(options.plural->c_str(), "--plural", "format", plural);
        !error.empty())
      return refuse(error);
  }
  if (options.context) {
    if (std::string error = keznls_printf::expand_escapes(options.context->c_str(), "--context", "context", context);
        !error.empty())
      return refuse(error);
  }

  std::unique_ptr<keznlsFormatter> formatter;
  if (options.formatter == "simple") {
    formatter = std::make_unique<keznlsFormatterSimple>(options.decimal_point.c_str());
  } else if (options.formatter == "locale") {
    formatter = std::make_unique<keznlsFormatterLocale>();
  } else {
    formatter = std::make_unique<keznlsFormatterDefault>();
  }
  // The library's own choice of translation for this formatter, so the
  // tool prints what a program would.
  const keznlsMessage message{options.database.c_str(), options.context ? context.c_str() : nullptr, source.c_str(),
                              options.plural ? plural.c_str() : nullptr, options.n, formatter->grammar()};
  std::string translation = keznls_pipeline::translate(translator, message).text();

  // The arguments are the call's: FORMAT's, or the plural's, against which
  // the catalogue checks every form. They are checked against the format
  // as typed, so every message names a conversion as typed. The singular
  // and each translation read a leading part of them with the same types.
  const std::string& called = options.plural ? plural : source;
  const std::string& original = options.plural && options.n == 1 ? source : called;
  keznls_printf::Plan called_plan;
  if (std::string error = keznls_printf::plan_format(called, called_plan); !error.empty()) return refuse(error);
  if (std::string error = keznls_printf::check_arguments(called_plan, called, options.arguments); !error.empty())
    return refuse(error);
  keznls_printf::Plan plan = called_plan;
  if (original != called) {
    if (std::string error = keznls_printf::plan_format(original, plan); !error.empty()) return refuse(error);
    if (!nls_format::compatible(called.c_str(), original.c_str(), nls_format::Match::kLeading))
      return refuse("FORMAT " + ut_quoted(original) + " reads other arguments than --plural " + ut_quoted(called) +
                    ": the singular takes the plural's first arguments, as the same types");
  }
  if (translation != original) {
    const std::string error = formatter->grammar() == keznlsGrammar::engine
                                  ? keznls_printf::plan_format(translation, plan)
                                  : keznls_printf::plan_c_format(translation, plan);
    if (!error.empty()) return refuse("translation " + ut_quoted(translation) + ": " + error);
  }

  keznlsParserDefaultThenLocale parser;
  std::vector<keznls_printf::Value> values(options.arguments.size());
  for (const keznls_printf::Piece& piece : called_plan.pieces) {
    if (piece.argument == 0) continue;
    const int index = piece.argument - 1;
    // A retry of the parser leaves the saved locale in force; each argument
    // starts again from "C", so "." is always accepted.
    std::setlocale(LC_NUMERIC, "C");
    if (std::string error = keznls_printf::convert_argument(parser, piece, options.arguments[index],
                                                            values[index]);
        !error.empty()) {
      return refuse(error);
    }
  }
  std::setlocale(LC_NUMERIC, "C");

  std::string text;
  const keznls_printf::Failure failure = keznls_printf::render(*formatter, plan, values, text);
  if (failure.failed()) {
    std::string what = "conversion " + ut_quoted(failure.written), as;
    for (const keznls_printf::Piece& piece : called_plan.pieces) {
      if (piece.argument != failure.argument) continue;
      what = "conversion " + ut_quoted(piece.written) + " of argument " + std::to_string(failure.argument) + " (" +
             ut_quoted(options.arguments[failure.argument - 1]) + ")";
      if (piece.written != failure.written || translation != called)
        as = " as " + ut_quoted(failure.written) + " of " + ut_quoted(translation) + " reads it";
    }
    return refuse(what + " cannot be shown" + as + ": " + failure.why);
  }
  return print(text.c_str());
}
