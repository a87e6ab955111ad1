/// \file
/// Text streams: one over a standard output stream, one fanning out to a set.
#ifndef KEZNLS_STREAMS_H
#define KEZNLS_STREAMS_H

#include "keznls/export.h"

#include <atomic>
#include <iosfwd>

#include "keznls/stream_set.h"

/// Accepts one finished, NUL-terminated text at a time.
class KEZNLS_API keznlsBaseStream {
 public:
  keznlsBaseStream() {}
  /// Writes `text`; returns this stream so writes can be chained.
  virtual const keznlsBaseStream& operator<<(const char* text) const = 0;
  virtual ~keznlsBaseStream() {}

  /// True once any text written to this stream did not reach its target
  /// whole. This default knows of no failure.
  virtual bool failed() const { return false; }
};

/// 1 when both are the same object: streams compare by identity.
KEZNLS_API int operator==(const keznlsBaseStream& a, const keznlsBaseStream& b);
/// Hash of the stream's address.
KEZNLS_API unsigned int co_hash(const keznlsBaseStream& stream);
/// Hash of a pointer value, the same as `co_hash` of a stream at `pointer`.
KEZNLS_API unsigned int co_hash_pointer(const void* pointer);

/// Writes to a borrowed `std::ostream` and flushes it after every text.
/// Shared by threads only as far as its stream is.
class KEZNLS_API keznlsOstream : public keznlsBaseStream {
 public:
  /// `output` must not be null.
  explicit keznlsOstream(std::ostream* output) : output_(output) {}
  const keznlsBaseStream& operator<<(const char* text) const override;
  ~keznlsOstream() override {}
  /// True once the stream refused a text or its flush.
  bool failed() const override { return failed_.load(std::memory_order_relaxed); }

 private:
  std::ostream* output_;
  mutable std::atomic<bool> failed_{false};
};

/// Forwards every text to each of a set of borrowed streams. Writing
/// through it may be shared by threads as far as its members may; adding
/// and removing members may not.
class KEZNLS_API keznlsMultiStream : public keznlsBaseStream {
 public:
  keznlsMultiStream() : members_(4, 50) {}
  /// Adds `stream` (not null); adding a member again changes nothing.
  void add_output_stream(keznlsBaseStream* stream);
  /// Removes `stream` when it is a member.
  void remove_output_stream(keznlsBaseStream* stream);
  /// Writes `text` once to every member, in the set's order; a member that
  /// fails does not stop the others.
  const keznlsBaseStream& operator<<(const char* text) const override;
  ~keznlsMultiStream() override {}
  /// True once a text written here did not reach every member whole.
  bool failed() const override { return failed_.load(std::memory_order_relaxed); }

 private:
  keznlsBaseStreamcoSetPtrcoPtrcoSet members_;
  mutable std::atomic<bool> failed_{false};
};

#endif  // KEZNLS_STREAMS_H
