// Text streams: one over a standard output stream, one fanning out to a set.
#ifndef KEZNLS_STREAMS_H
#define KEZNLS_STREAMS_H

#include <iosfwd>

#include "keznls/stream_set.h"

/// Accepts one finished, NUL-terminated text at a time.
class keznlsBaseStream {
 public:
  keznlsBaseStream() {}
  /// Writes `text`; returns this stream so writes can be chained.
  virtual const keznlsBaseStream& operator<<(const char* text) const = 0;
  virtual ~keznlsBaseStream() {}
};

/// 1 when both are the same object: streams compare by identity.
int operator==(const keznlsBaseStream& a, const keznlsBaseStream& b);
/// Hash of the stream's address.
unsigned int co_hash(const keznlsBaseStream& stream);
/// Hash of a pointer value, the same as `co_hash` of a stream at `pointer`.
unsigned int co_hash_pointer(const void* pointer);

/// Writes to a borrowed `std::ostream` and flushes it after every text.
class keznlsOstream : public keznlsBaseStream {
 public:
  /// `output` must not be null.
  explicit keznlsOstream(std::ostream* output) : output_(output) {}
  const keznlsBaseStream& operator<<(const char* text) const override;
  ~keznlsOstream() override {}

 private:
  std::ostream* output_;
};

/// Forwards every text to each of a set of borrowed streams.
class keznlsMultiStream : public keznlsBaseStream {
 public:
  keznlsMultiStream() : members_(4, 50) {}
  /// Adds `stream` (not null); adding a member again changes nothing.
  void add_output_stream(keznlsBaseStream* stream);
  /// Removes `stream` when it is a member.
  void remove_output_stream(keznlsBaseStream* stream);
  /// Writes `text` once to every member, in the set's order.
  const keznlsBaseStream& operator<<(const char* text) const override;
  ~keznlsMultiStream() override {}

 private:
  keznlsBaseStreamcoSetPtrcoPtrcoSet members_;
};

#endif  // KEZNLS_STREAMS_H
