// Calls through every printf-like entry point. The compiler must reject each
// line marked "rejected" under -Werror=format and accept every other line;
// built with -DONLY_ACCEPTED the file must compile cleanly.
#include <cstdarg>
#include <string>

#include <keznls/keznls.h>

void calls(kezabsOutput& out, keznlsHelper& helper, keznlsConnector& connector,
           kezabsOutputOstream& to_stream, keznlsOutputToNowhere& nowhere,
           const keznlsTranslatorAndFormatter& pair, keznlsFormatter& formatter,
           keznlsFormatterDefault& by_default, keznlsFormatterSimple& simple,
           keznlsFormatterLocale& in_locale, const keznlsSprintf& engine,
           keznlsLibraryNls& library, va_list args) {
  const std::string text = "x";
  const utString string = "x";
  // Correct calls.
  out.tprintf("db", "%d %s %.2f\n", 1, "x", 2.5);
  helper.tprintf("db", "%2$s has %1$d\n", 3, "Anna");
  connector.tprintf("db", "%u %x\n", 1u, 2u);
  to_stream.tprintf("db", "%lld %s\n", 1LL, text.c_str());
  nowhere.tprintf("db", "%s\n", string.c_str());
  pair.stprintf("db", "%d\n", 1);
  formatter.format("%e\n", 1.0);
  by_default.format("%g\n", 1.0);
  simple.format("%05.1f\n", 1.0);
  in_locale.format("%s\n", "x");
  engine.gui_sprintf("%X\n", 255u);
  library.output("%d\n", 1);
  out.vtprintf("db", "%d\n", args);
  out.vtsprintf("db", "%d\n", args);
  pair.vtsprintf("db", "%d\n", args);
  formatter.vformat("%d\n", args);
  engine.gui_vsprintf("%d\n", args);
  // Plural calls are checked against the plural, which names the count.
  out.ntprintf("db", "One file\n", "%lu files\n", 2ul, 2ul);
  helper.ptprintf("db", "menu", "Open %s\n", "x");
  connector.nptprintf("db", "menu", "%d file\n", "%d files\n", 2ul, 2);
  pair.nstprintf("db", "%d file", "%d files", 2ul, 2);
  pair.pstprintf("db", "menu", "%s", "x");
  pair.npstprintf("db", "menu", "%d file", "%d files", 2ul, 2);
  out.vntprintf("db", "One file\n", "%d files\n", 2ul, args);
#ifndef ONLY_ACCEPTED
  // The caller's arguments against the format.
  out.tprintf("db", "%d\n", "text");  // rejected
  helper.tprintf("db", "%d\n", 2.5);  // rejected
  connector.tprintf("db", "%d\n", 1LL);  // rejected
  to_stream.tprintf("db", "%s\n", 1);  // rejected
  nowhere.tprintf("db", "%s\n", string);  // rejected
  helper.tprintf("db", "%d %s\n", 1);  // rejected
  pair.stprintf("db", "%f\n", 1);  // rejected
  formatter.format("%d\n", "text");  // rejected
  by_default.format("%s\n", 2.5);  // rejected
  simple.format("%u\n", "text");  // rejected
  in_locale.format("%f\n", "text");  // rejected
  engine.gui_sprintf("%x\n", 2.5);  // rejected
  library.output_error("%d\n", "text");  // rejected
  helper.ntprintf("db", "%d file", "%d files\n", 2ul, "two");  // rejected
  connector.ptprintf("db", "menu", "%d\n", "x");  // rejected
  out.nptprintf("db", "menu", "%d file", "%d files\n", 2ul, 2.5);  // rejected
  pair.nstprintf("db", "%d file", "%d files", 2ul, "two");  // rejected
  pair.pstprintf("db", "menu", "%s", 1);  // rejected
  pair.npstprintf("db", "menu", "%d file", "%d files", 2ul, "two");  // rejected
  // The va_list forms check the format text itself.
  out.vtprintf("db", "%y\n", args);  // rejected
  helper.vtsprintf("db", "%y\n", args);  // rejected
  pair.vtsprintf("db", "%y\n", args);  // rejected
  simple.vformat("%y\n", args);  // rejected
  engine.gui_vsprintf("%y\n", args);  // rejected
  out.vntprintf("db", "x", "%y\n", 2ul, args);  // rejected
  pair.vnptsprintf("db", "menu", "x", "%y\n", 2ul, args);  // rejected
#endif
}
