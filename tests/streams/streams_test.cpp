#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/counting_buf.h"
#include "keznls/streams.h"
#include "streams/set_probe.h"

namespace {

TEST(OstreamTest, WritesExactlyAndFlushesEachText) {
  CountingBuf buf;
  std::ostream out(&buf);
  keznlsOstream stream(&out);
  const keznlsBaseStream& chained = stream << "one";
  EXPECT_EQ(&chained, &stream);
  EXPECT_EQ(buf.syncs, 1);
  stream << "" << " two\n";
  EXPECT_EQ(buf.str(), "one two\n");
  EXPECT_EQ(buf.syncs, 3);
}

TEST(OstreamTest, HonoursTheOutputsWidth) {
  std::ostringstream out;
  keznlsOstream stream(&out);
  out.width(5);
  out.fill('.');
  stream << "ab";
  stream << "cd";
  EXPECT_EQ(out.str(), "...abcd");
}

TEST(StreamIdentityTest, ComparesAndHashesByAddress) {
  std::ostringstream out;
  keznlsOstream a(&out), b(&out);
  EXPECT_EQ(a == a, 1);
  EXPECT_EQ(a == b, 0) << "same destination, different streams";
  EXPECT_EQ(co_hash(a), co_hash_pointer(&a));
  EXPECT_NE(co_hash(a), co_hash(b));

  const keznlsBaseStreamcoSetPtrcoPtr nil, pa(&a), pb(&b);
  EXPECT_EQ(nil == nil, 1);
  EXPECT_EQ(nil == pa, 0);
  EXPECT_EQ(pa == nil, 0);
  EXPECT_EQ(pa == keznlsBaseStreamcoSetPtrcoPtr(&a), 1);
  EXPECT_EQ(pa == pb, 0);
  EXPECT_EQ(co_hash(nil), 0u);
  EXPECT_EQ(co_hash(pa), co_hash(a));
}

TEST(MultiStreamTest, DeliversEachTextOnceToEveryMember) {
  RecordingStream first, second, never;
  keznlsMultiStream multi;
  multi << "before any member";
  multi.add_output_stream(&first);
  multi.add_output_stream(&second);
  multi.add_output_stream(&first);
  multi.remove_output_stream(&never);
  const keznlsBaseStream& chained = multi << "hello";
  EXPECT_EQ(&chained, &multi);
  EXPECT_EQ(first.writes, std::vector<std::string>{"hello"});
  EXPECT_EQ(second.writes, std::vector<std::string>{"hello"});

  multi.remove_output_stream(&first);
  multi << "again";
  EXPECT_EQ(first.writes.size(), 1u);
  EXPECT_EQ(second.writes, (std::vector<std::string>{"hello", "again"}));
  EXPECT_TRUE(never.writes.empty());
}

TEST(MultiStreamTest, ReachesStandardStreamsAndNestedMultiStreams) {
  std::ostringstream out1, out2;
  keznlsOstream s1(&out1), s2(&out2);
  keznlsMultiStream inner, outer;
  inner.add_output_stream(&s2);
  outer.add_output_stream(&s1);
  outer.add_output_stream(&inner);
  outer << "x";
  outer << "y";
  EXPECT_EQ(out1.str(), "xy");
  EXPECT_EQ(out2.str(), "xy");
}

}  // namespace
