// The same one-shot program over the C library's gettext.
#include <libintl.h>

#include <clocale>
#include <cstdio>

#include "startup_message.h"

int main() {
  std::setlocale(LC_ALL, "");
  std::printf(dgettext(STARTUP_DOMAIN, STARTUP_MSGID), STARTUP_ARGUMENT);
  return 0;
}
