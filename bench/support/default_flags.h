// The command line a benchmark program hands Google Benchmark: its own
// defaults first, so that flags given on the command line win.
#ifndef KEZNLS_BENCH_DEFAULT_FLAGS_H
#define KEZNLS_BENCH_DEFAULT_FLAGS_H

#include <initializer_list>
#include <vector>

/// argv with `defaults` after the program's name. The flags are only read.
inline std::vector<char*> with_default_flags(int argc, char** argv, std::initializer_list<const char*> defaults) {
  std::vector<char*> args{argv[0]};
  for (const char* flag : defaults) args.push_back(const_cast<char*>(flag));
  args.insert(args.end(), argv + 1, argv + argc);
  return args;
}

#endif  // KEZNLS_BENCH_DEFAULT_FLAGS_H
