// A one-shot program printing one translated message through keznls.
#include <keznls/keznls.h>

#include <clocale>

#include "startup_message.h"

int main() {
  // As every localised program does, and as the dgettext program does.
  std::setlocale(LC_ALL, "");
  keznlsTranslatorWithDatabases translator(STARTUP_LOCALE_DIR);
  keznlsFormatterSimple formatter(".");
  keznlsDisplayerDefault screen;
  keznlsHelper out(&translator, &formatter, &screen);
  out.tprintf(STARTUP_DOMAIN, STARTUP_MSGID, STARTUP_ARGUMENT);
  return 0;
}
