// Lets a test make the next global operator new of its program throw.
// Link tests/locale/failing_new.cpp into the program that uses it.
#ifndef KEZNLS_TESTS_FAILING_NEW_H
#define KEZNLS_TESTS_FAILING_NEW_H

namespace failing_new {

/// The next allocation through operator new or new[] throws std::bad_alloc.
void fail_next();

}  // namespace failing_new

#endif  // KEZNLS_TESTS_FAILING_NEW_H
