#include "ZazidEvoz/playback/SampleRing.hpp"
#include "ZazidEvoz/playback/ScopeBuffer.hpp"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

using namespace ZazidEvoz;

namespace {

std::vector<float> counting(std::size_t count, float first = 0) {
    std::vector<float> samples(count);
    std::iota(samples.begin(), samples.end(), first);
    return samples;
}

} // namespace

TEST(SampleRing, WritesWhatFitsAndReadsWholeFrames) {
    SampleRing ring(1000);
    auto samples = counting(1000);
    EXPECT_EQ(ring.write(samples.data(), 400), 400u);
    EXPECT_EQ(ring.write(samples.data(), 1000), 600u); // only the free room
    EXPECT_EQ(ring.write(samples.data(), 2), 0u);      // full
    EXPECT_EQ(ring.count(), 1000u);

    std::vector<float> left(512), right(512);
    EXPECT_EQ(ring.read(512, left.data(), right.data()), 500u);
    EXPECT_EQ(left[0], 0);
    EXPECT_EQ(right[0], 1);
    EXPECT_EQ(left[199], 398);
    EXPECT_EQ(left[200], 0); // the second write started over at sample 0
    EXPECT_EQ(ring.read(1, left.data(), right.data()), 0u);
}

TEST(SampleRing, ReadAndWriteAcrossTheEnd) {
    SampleRing ring(10);
    std::vector<float> left(5), right(5);
    auto first = counting(8);
    ring.write(first.data(), 8);
    ring.read(3, left.data(), right.data()); // readIndex 6, two samples left
    auto second = counting(8, 100);
    EXPECT_EQ(ring.write(second.data(), 8), 8u); // 100..101 at 8..9, 102..107 at 0..5
    EXPECT_EQ(ring.read(5, left.data(), right.data()), 5u);
    EXPECT_EQ(left, (std::vector<float>{6, 100, 102, 104, 106}));
    EXPECT_EQ(right, (std::vector<float>{7, 101, 103, 105, 107}));
    EXPECT_EQ(ring.count(), 0u);
    ring.write(first.data(), 4);
    ring.clear();
    EXPECT_EQ(ring.count(), 0u);
}

TEST(ScopeBuffer, LatestKeepsTheNewestFramesInOrder) {
    ScopeBuffer scope;
    auto values = counting(ScopeBuffer::frames + 1, 1);
    scope.append(values.data(), values.data(), values.size());
    std::vector<float> left, right;
    scope.latest(5000, left, right);
    ASSERT_EQ(left.size(), 4096u);
    EXPECT_EQ(left.front(), 2); // the first frame appended was overwritten
    EXPECT_EQ(left.back(), 4097);

    scope.latest(3, left, right);
    EXPECT_EQ(left, (std::vector<float>{4095, 4096, 4097}));
    scope.appendSilence(1);
    scope.latest(2, left, right);
    EXPECT_EQ(right, (std::vector<float>{4097, 0}));

    scope.latest(0, left, right);
    EXPECT_TRUE(left.empty());
    EXPECT_TRUE(right.empty());

    scope.clear();
    scope.latest(4096, left, right);
    EXPECT_EQ(std::accumulate(left.begin(), left.end(), 0.0f), 0.0f);
}
