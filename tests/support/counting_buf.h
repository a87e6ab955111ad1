// A string buffer that counts how often its stream is flushed.
#ifndef KEZNLS_TESTS_COUNTING_BUF_H
#define KEZNLS_TESTS_COUNTING_BUF_H

#include <sstream>

class CountingBuf : public std::stringbuf {
 public:
  int syncs = 0;

 protected:
  int sync() override {
    ++syncs;
    return std::stringbuf::sync();
  }
};

#endif  // KEZNLS_TESTS_COUNTING_BUF_H
