#include "keznls/streams.h"

#include <ostream>

int operator==(const keznlsBaseStream& a, const keznlsBaseStream& b) { return &a == &b; }

unsigned int co_hash(const keznlsBaseStream& stream) { return co_hash_pointer(&stream); }

unsigned int co_hash_pointer(const void* pointer) { return co_hash(&pointer, sizeof pointer); }

const keznlsBaseStream& keznlsOstream::operator<<(const char* text) const {
  if (!(*output_ << text << std::flush)) failed_.store(true, std::memory_order_relaxed);
  return *this;
}

void keznlsMultiStream::add_output_stream(keznlsBaseStream* stream) { members_.add(stream); }

void keznlsMultiStream::remove_output_stream(keznlsBaseStream* stream) { members_.remove(stream); }

const keznlsBaseStream& keznlsMultiStream::operator<<(const char* text) const {
  keznlsBaseStreamcoSetPtrcoPtrcoSetcoIterator it(&members_);
  while (++it) {
    const keznlsBaseStream* const member = it();
    *member << text;
    // A failed member (a sticky state) drops this text too.
    if (member->failed()) failed_.store(true, std::memory_order_relaxed);
  }
  return *this;
}
