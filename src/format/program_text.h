// Whether a text lies in the program's own read-only memory, which holds
// the same bytes for the life of the process: the main program is never
// unloaded and nothing writes there. A shared library's memory is not
// such (it may be closed and the addresses reused), nor is the heap's.
#ifndef KEZNLS_SRC_FORMAT_PROGRAM_TEXT_H
#define KEZNLS_SRC_FORMAT_PROGRAM_TEXT_H

#pragma GCC visibility push(hidden)
namespace keznls_engine {

// True where all `size` bytes from `text` lie in one read-only segment of
// the main program. The segments are found on the first call.
bool in_program_constants(const char* text, unsigned long size);

}  // namespace keznls_engine
#pragma GCC visibility pop

#endif  // KEZNLS_SRC_FORMAT_PROGRAM_TEXT_H
