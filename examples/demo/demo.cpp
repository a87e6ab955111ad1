// The same messages in the user's language through each formatter.
//
//   keznls-demo [CATALOGUE-FOLDER]
//
// Without a folder it uses its own catalogues: "locale" beside the program
// in the build tree, <prefix>/share/locale once installed.
// The language comes from LC_ALL, LC_MESSAGES or LANG, and from the LANGUAGE
// list unless that locale is C; the number conventions of the locale
// formatter from the user's locale.
#include <clocale>
#include <thread>

#include <keznls/keznls.h>

namespace {

// The message database: <folder>/<lang>/LC_MESSAGES/keznls-demo.mo
const char kDomain[] = "keznls-demo";

}  // namespace

int main(int argc, char** argv) {
  const utString catalogue =
      argc > 1 ? utString(argv[1]) : keznls_catalogue_folder(KEZNLS_DEMO_INSTALLED_CATALOGUE);

  // Remember the user's numeric locale for the locale formatter, then put
  // the process back in "C" the way a library host often runs.
  std::setlocale(LC_ALL, "");
  keznlsLocaleNumbers::save();
  std::setlocale(LC_NUMERIC, "C");

  // The application makes every role; the helpers only borrow them.
  keznlsTranslatorWithDatabases translator(catalogue);
  keznlsFormatterDefault plain;
  keznlsFormatterSimple simple(",");
  keznlsFormatterLocale in_locale;
  keznlsDisplayerDefault screen;

  keznlsHelper out(&translator, &plain, &screen);
  keznlsHelper out_simple(&translator, &simple, &screen);
  keznlsHelper out_locale(&translator, &in_locale, &screen);

  out.tprintf(kDomain, "Welcome to the keznls demo.\n");
  out.tprintf(kDomain, "This message was translated, then formatted: %d + %d = %d.\n", 2, 3, 5);

  // The translations put the arguments in another order; the simple
  // formatter follows the positions the translated text names.
  out_simple.tprintf(kDomain, "%2$s has %1$d new messages.\n", 3, "Anna");

  // A count takes the form its language's own rule names: one form in
  // English and German for 1, two more in Polish (2-4, 22-24 ...; 5-21 ...).
  for (const int n : {1, 2, 5, 22, 25})
    out.ntprintf(kDomain, "%d file was copied.\n", "%d files were copied.\n", n, n);

  // One English word, two meanings: the context tells them apart.
  out.ptprintf(kDomain, "menu entry", "Open\n");
  out.ptprintf(kDomain, "state of a file", "Open\n");

  // The default formatter uses whatever numeric locale the process is in:
  // still "C" here, as set above.
  const double amount = 1234.5;
  out.tprintf(kDomain, "Default formatter, decimal point of the process's locale, C so far: %.2f\n",
              amount);
  out_simple.tprintf(kDomain, "Simple formatter, decimal point given by the program: %.2f\n",
                     amount);
  out_locale.tprintf(kDomain, "Locale formatter, decimal point of the saved locale: %.2f\n",
                     amount);
  // The locale formatter set the process's numeric locale to the saved one
  // and left it there, so the default formatter now uses it too.
  out.tprintf(kDomain,
              "Default formatter after it, the process's locale is now the saved one: %.2f\n",
              amount);

  // A language menu: the program switches languages while it runs, with
  // no change to the environment. Catalogues are shared by every
  // translator, so a language loaded before costs no file read.
  for (const char* chosen : {"fr", "pl", "de"}) {
    keznlsTranslatorWithDatabases menu_language(catalogue, chosen);
    keznlsHelper menu_out(&menu_language, &simple, &screen);
    menu_out.tprintf(kDomain, "This line is in the language chosen from the menu (%s).\n", chosen);
  }

  // A server: two requests at once, each answered in its user's language
  // from a thread of its own. Translators, helpers and the screen are
  // shared by every thread; each message reaches the screen whole.
  keznlsTranslatorWithDatabases german(catalogue, "de"), french(catalogue, "fr");
  keznlsHelper answer_in_german(&german, &simple, &screen), answer_in_french(&french, &simple, &screen);
  std::thread first([&] { answer_in_german.tprintf(kDomain, "Request %d was answered in its user's language.\n", 1); });
  std::thread second([&] { answer_in_french.tprintf(kDomain, "Request %d was answered in its user's language.\n", 2); });
  first.join();
  second.join();
  return screen.failed() ? 1 : 0;
}
