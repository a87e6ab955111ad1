// Text that can never change under a pointer: the main program's own
// constants.
#ifndef KEZNLS_UT_PROGRAM_TEXT_H
#define KEZNLS_UT_PROGRAM_TEXT_H

/// Whether `p` points into a read-only segment of the main program (its
/// string literals, its code): what is there stays as it is, at that
/// address, while the process runs, so a pointer seen there before still
/// points at the same text. A shared library's segments do not count (it
/// may be unloaded and something else mapped there), nor does any memory
/// that is written: the heap, stacks, data.
bool ut_is_program_text(const void* p);

#endif  // KEZNLS_UT_PROGRAM_TEXT_H
