#include "qva_dsp/CircularBuffer.h"

#include <gtest/gtest.h>
#include <new>
#include <vector>

using QVA::DSP::CircularBuffer;

namespace
{
std::unique_ptr<CircularBuffer> makeLine(int numChannels, int length)
{
    return CircularBuffer::realloc(std::make_unique<CircularBuffer>(), numChannels, length);
}
} // namespace

TEST(CircularBuffer, DelaysByItsLengthOnEveryChannel)
{
    auto line = makeLine(2, 32);
    for (int n = 0; n < 200; ++n)
    {
        for (int ch = 0; ch < 2; ++ch)
        {
            const auto expected = n >= 32 ? static_cast<double>(1000 * ch + n - 32) : 0.0;
            ASSERT_EQ(line->oldest(ch), expected) << "channel " << ch << " sample " << n;
            line->write(ch, 1000.0 * ch + n);
        }
    }
}

TEST(CircularBuffer, ReadsBackWithoutWrappingThroughTheMirror)
{
    constexpr int length = 5;
    auto line = makeLine(1, length);
    for (int n = 1; n <= 13; ++n)
    {
        line->write(0, n);
        ASSERT_EQ(line->back(0, 1), n) << "newest after write " << n;
        const auto* window = line->window(0);
        for (int k = 1; k <= length; ++k)
        {
            const auto expected = n - k + 1 > 0 ? static_cast<double>(n - k + 1) : 0.0;
            ASSERT_EQ(line->back(0, k), expected);
            ASSERT_EQ(window[length - k], expected);
        }
        for (int i = 0; i < length; ++i)
            ASSERT_EQ(line->data(0)[i], line->data(0)[i + length]) << "mirror broken at " << i;
    }
}

TEST(CircularBuffer, RunOfValuesEqualsSingleWrites)
{
    // Runs shorter and longer than the line, from a strided source, starting at various positions.
    std::vector<double> source(200);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<double>(i) * 0.5 + 1.0;
    for (const int count : {0, 1, 5, 7, 8, 9, 31, 50})
        for (const int lead : {0, 3, 6})
        {
            auto single = makeLine(1, 7);
            auto run = makeLine(1, 7);
            for (int i = 0; i < lead; ++i)
            {
                single->write(0, -1.0 - i);
                run->write(0, -1.0 - i);
            }
            for (int i = 0; i < count; ++i)
                single->write(0, source[static_cast<std::size_t>(2 * i)]);
            run->write(0, source.data(), count, 2);
            EXPECT_EQ(run->getPosition(0), single->getPosition(0)) << count << " after " << lead;
            for (int i = 0; i < 14; ++i)
                EXPECT_EQ(run->data(0)[i], single->data(0)[i]) << count << " after " << lead << " at " << i;
        }
}

TEST(CircularBuffer, ClearZeroesAndRewinds)
{
    auto line = makeLine(3, 4);
    for (int n = 0; n < 7; ++n)
        for (int ch = 0; ch < 3; ++ch)
            line->write(ch, n + 1.0);
    line->clear();
    for (int ch = 0; ch < 3; ++ch)
    {
        EXPECT_EQ(line->getPosition(ch), 0);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(line->data(ch)[i], 0.0);
    }

    CircularBuffer empty;
    empty.clear();
    EXPECT_EQ(empty.getNumChannels(), 0);
}

TEST(CircularBuffer, ReallocKeepsOnlyTheLastPredecessor)
{
    auto line = std::make_unique<CircularBuffer>();
    const auto* first = line.get();
    line = CircularBuffer::realloc(std::move(line), 2, 8);
    const auto* second = line.get();
    EXPECT_EQ(line->getPredecessor(), first);
    EXPECT_EQ(line->getNumChannels(), 2);
    EXPECT_EQ(line->getLength(), 8);

    line->write(1, 3.0);
    line = CircularBuffer::realloc(std::move(line), 1, 4);
    ASSERT_EQ(line->getPredecessor(), second);
    EXPECT_EQ(line->getPredecessor()->getPredecessor(), nullptr);
    // The replaced line is intact while it lives on as the predecessor.
    EXPECT_EQ(line->getPredecessor()->back(1, 1), 3.0);
    EXPECT_EQ(line->back(0, 1), 0.0);
    // Destroying the newest line frees both generations (checked by the sanitizer build and the
    // allocation-counting test).
    line.reset();
}

TEST(CircularBuffer, NegativeSizesFailToAllocate)
{
    EXPECT_THROW((void)makeLine(-1, 4), std::bad_alloc);
    EXPECT_THROW((void)makeLine(2, -4), std::bad_alloc);
}
