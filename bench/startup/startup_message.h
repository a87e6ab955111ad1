// The one message both one-shot programs print: a real entry of the largest
// catalogue on the machine, with one conversion.
#ifndef KEZNLS_BENCH_STARTUP_MESSAGE_H
#define KEZNLS_BENCH_STARTUP_MESSAGE_H

#define STARTUP_LOCALE_DIR "/usr/share/locale"
#define STARTUP_DOMAIN "postgres-15"
#define STARTUP_CATALOGUE STARTUP_LOCALE_DIR "/de/LC_MESSAGES/" STARTUP_DOMAIN ".mo"
#define STARTUP_MSGID "Try \"%s --help\" for more information.\n"
#define STARTUP_ARGUMENT "postgres"

#endif  // KEZNLS_BENCH_STARTUP_MESSAGE_H
