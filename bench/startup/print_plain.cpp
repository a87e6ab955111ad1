// The floor under the two one-shot programs: the same C++ program printing
// the untranslated text, with the setlocale of the dgettext program when
// STARTUP_SETLOCALE is 1.
#include <clocale>
#include <cstdio>

#include "startup_message.h"

int main() {
  if (STARTUP_SETLOCALE) std::setlocale(LC_ALL, "");
  std::printf(STARTUP_MSGID, STARTUP_ARGUMENT);
  return 0;
}
