// Typed calls that must not compile. check_typed_refused.cmake compiles
// this file once per CASE and expects the error text written beside it;
// CASE 0 holds calls that must compile.
#include <cstdint>
#include <string>

#include "keznls/output.h"

enum Colour { red };
enum class Size { small };
struct Point {
  int x;
};

void calls(kezabsOutput& out) {
#if CASE == 0
  out.tprint("db", "%d %s %c %.1f", std::int64_t{1}, std::string("s"), 'c', 1.5);
  out.tprint("db", "%2$s %1$lu", 1u, "x");
  out.ntprint("db", "one", "%zu files", 2, std::size_t{2});
#elif CASE == 1  // a bool is not a typed argument
  out.tprint("db", "%d", true);
#elif CASE == 2  // an enum is not a typed argument
  out.tprint("db", "%d", red);
#elif CASE == 3  // an enum is not a typed argument
  out.tprint("db", "%d", Size::small);
#elif CASE == 4  // nullptr is not a typed argument
  out.tprint("db", "%s", nullptr);
#elif CASE == 5  // this type is not a typed argument
  out.tprint("db", "%d", Point{1});
#elif CASE == 6  // this type is not a typed argument
  static int x = 0;
  out.tprint("db", "%p", &x);
#elif CASE == 7  // format_reads_an_argument_as_another_kind
  out.tprint("db", "%d", std::string("x"));
#elif CASE == 8  // format_reads_an_argument_not_passed
  out.tprint("db", "%d %d", 1);
#elif CASE == 9  // format_has_more_than_nine_conversions
  out.tprint("db", "%d%d%d%d%d%d%d%d%d%d", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
#elif CASE == 10  // format_has_a_gap_in_its_numbered_arguments
  out.tprint("db", "%1$d %3$d", 1, 2, 3);
#elif CASE == 11  // format_leaves_an_argument_unread
  out.tprint("db", "%d", 1, 2);
#elif CASE == 12  // format_reads_an_argument_as_another_kind
  out.stprint("db", "%s", 'c');
#elif CASE == 13  // format_mixes_numbered_and_plain_conversions
  out.nptprint("db", "ctx", "one", "%1$d of %s", 2, 2, "x");
#endif
}
