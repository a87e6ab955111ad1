// A string buffer that counts how often its stream is flushed.
#pragma once

#include <sstream>

struct CountingBuf : std::stringbuf {
  int syncs = 0;
  int sync() override { return ++syncs, std::stringbuf::sync(); }
};
