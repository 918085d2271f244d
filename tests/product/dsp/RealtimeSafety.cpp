// Counts every heap allocation while the engine processes audio and takes parameter changes: the
// global allocation functions are replaced (all overloads), and on glibc without sanitizers the C
// allocator too, since Eigen allocates dynamic matrices with malloc.
#include "EngineHarness.h"
#include "qva_dsp/CircularBuffer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREL_TEST_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define OSTREL_TEST_SANITIZED 1
#endif
// The sanitizers bring their own C allocator, which must not be replaced.
#if defined(__GLIBC__) && !defined(OSTREL_TEST_SANITIZED)
#define OSTREL_TEST_COUNT_MALLOC 1
#endif

namespace
{
std::atomic<long> newCalls{0};
std::atomic<long> mallocCalls{0};

std::atomic<long> liveNews{0};

void* allocate(std::size_t size)
{
    ++newCalls;
    if (void* p = std::malloc(size == 0 ? 1 : size))
    {
        ++liveNews;
        return p;
    }
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    ++newCalls;
    const auto a = static_cast<std::size_t>(alignment);
    if (void* p = std::aligned_alloc(a, ((size == 0 ? 1 : size) + a - 1) / a * a))
    {
        ++liveNews;
        return p;
    }
    throw std::bad_alloc();
}

void release(void* p) noexcept
{
    if (p != nullptr)
        --liveNews;
    std::free(p);
}
} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate(size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    try
    {
        return allocateAligned(size, alignment);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t& tag) noexcept
{
    return operator new(size, alignment, tag);
}
void operator delete(void* p) noexcept
{
    release(p);
}
void operator delete[](void* p) noexcept
{
    release(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    release(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    release(p);
}

#if defined(OSTREL_TEST_COUNT_MALLOC)
extern "C"
{
    void* __libc_malloc(std::size_t);
    void* __libc_calloc(std::size_t, std::size_t);
    void* __libc_realloc(void*, std::size_t);
    void* __libc_memalign(std::size_t, std::size_t);
    void __libc_free(void*);

    void* malloc(std::size_t size)
    {
        ++mallocCalls;
        return __libc_malloc(size);
    }
    void* calloc(std::size_t count, std::size_t size)
    {
        ++mallocCalls;
        return __libc_calloc(count, size);
    }
    void* realloc(void* old, std::size_t size)
    {
        ++mallocCalls;
        return __libc_realloc(old, size);
    }
    void* memalign(std::size_t alignment, std::size_t size)
    {
        ++mallocCalls;
        return __libc_memalign(alignment, size);
    }
    void* aligned_alloc(std::size_t alignment, std::size_t size)
    {
        return memalign(alignment, size);
    }
    int posix_memalign(void** result, std::size_t alignment, std::size_t size)
    {
        void* p = memalign(alignment, size);
        if (p == nullptr)
            return ENOMEM;
        *result = p;
        return 0;
    }
    void free(void* p)
    {
        __libc_free(p);
    }
}
#endif

namespace
{
using namespace EngineTest;
using namespace QVA::OstrelMkII;

struct Counts
{
    long news;
    long mallocs;
};

Counts snapshot()
{
    return {newCalls.load(), mallocCalls.load()};
}

// Everything the audio thread does in a block: parameter changes (every parameter, Emphasis swept),
// the playing flag, a repeated preparation with the same format, processing and bypass.
template <typename Sample>
void audioThreadWork(QVA::OstrelMkIIDsp& engine, Sample* const* channels, int blockSize, int block)
{
    const auto phase = static_cast<float>(block % 17) / 16.0f;
    engine.isPlaying = true;
    engine.parameterChanged(powerParameter, block % 5 == 0 ? 0.0f : 1.0f);
    engine.parameterChanged(peakRecParameter, phase);
    engine.parameterChanged(gainParameter, 1.0f - phase);
    engine.parameterChanged(modeParameter, static_cast<float>(block % 2));
    engine.parameterChanged(vuLevelParameter, static_cast<float>(block % 3));
    engine.parameterChanged(extSidechainParameter, static_cast<float>((block / 2) % 2));
    engine.parameterChanged(emphasisParameter, phase);
    engine.parameterChanged(cellSelectParameter, static_cast<float>(block % 3));
    engine.parameterChanged(makeupParameter, phase);
    engine.parameterChanged(mixParameter, 1.0f - phase);
    engine.setEmphasis(1.0f - phase);
    if (block % 7 == 3)
        engine.prepareToPlay(engine.sampleRate, engine.blockSize, engine.numInputChannels,
                             engine.numOutputChannels);
    if constexpr (std::is_same_v<Sample, float>)
    {
        if (block % 4 == 1)
            engine.processBypassedFloat(blockSize, channels, channels);
        else
            engine.processFloat(blockSize, channels, channels);
    }
    else
    {
        if (block % 4 == 1)
            engine.processBypassedDouble(blockSize, channels, channels);
        else
            engine.processDouble(blockSize, channels, channels);
    }
    (void)engine.getMeterValue(0);
    (void)engine.getHostMeterValue(0);
}

template <typename Sample> void expectNoAllocation(double rate, Layout layout)
{
    constexpr int blockSize = 256;
    QVA::OstrelMkIIDsp engine(nullptr);
    engine.setChannelRoles(layout.mainInputs, layout.keyInputs);
    engine.prepareToPlay(rate, blockSize, layout.totalInputs(), layout.outputs);
    std::vector<std::vector<Sample>> buffer(static_cast<std::size_t>(layout.bufferChannels()),
                                            std::vector<Sample>(blockSize));
    std::vector<Sample*> channels;
    for (auto& channel : buffer)
        channels.push_back(channel.data());

    const auto before = snapshot();
    for (int block = 0; block < 60; ++block)
    {
        for (std::size_t ch = 0; ch < buffer.size(); ++ch)
            for (int n = 0; n < blockSize; ++n)
                buffer[ch][static_cast<std::size_t>(n)] = static_cast<Sample>(
                    0.5 * std::sin(0.01 * (n + blockSize * block) * static_cast<double>(ch + 1)));
        audioThreadWork(engine, channels.data(), blockSize, block);
    }
    const auto after = snapshot();
    EXPECT_EQ(after.news - before.news, 0) << rate << " Hz";
#if defined(OSTREL_TEST_COUNT_MALLOC)
    EXPECT_EQ(after.mallocs - before.mallocs, 0) << rate << " Hz";
#endif
}
} // namespace

TEST(RealtimeSafety, CountingSeesAllocations)
{
    const auto before = snapshot();
    auto* p = new double[16];
    delete[] p;
    auto* q = new (std::align_val_t{64}) double[4];
    ::operator delete[](q, std::align_val_t{64});
    EXPECT_EQ(snapshot().news - before.news, 2);
#if defined(OSTREL_TEST_COUNT_MALLOC)
    EXPECT_GE(snapshot().mallocs - before.mallocs, 2);
#endif
}

TEST(RealtimeSafety, AudioThreadNeverAllocates)
{
    for (const double rate : {44100.0, 96000.0, 192000.0})
    {
        expectNoAllocation<float>(rate, {2, 2, 2});
        expectNoAllocation<double>(rate, {2, 2, 2});
    }
    expectNoAllocation<double>(48000.0, {1, 1, 2});
    expectNoAllocation<float>(48000.0, {2, 1, 1});
}

TEST(RealtimeSafety, DelayLinesFreeEveryGeneration)
{
    const auto live = liveNews.load();
    {
        auto line = std::make_unique<QVA::DSP::CircularBuffer>();
        line = QVA::DSP::CircularBuffer::realloc(std::move(line), 2, 64);
        line = QVA::DSP::CircularBuffer::realloc(std::move(line), 4, 32);
        line = QVA::DSP::CircularBuffer::realloc(std::move(line), 1, 8);
        EXPECT_GT(liveNews.load(), live);
    }
    EXPECT_EQ(liveNews.load(), live);
    {
        // The engine's three lines through several format changes.
        QVA::OstrelMkIIDsp engine(nullptr);
        engine.prepareToPlay(44100, 256, 2, 2);
        engine.prepareToPlay(96000, 256, 4, 2);
        engine.prepareToPlay(48000, 512, 1, 2);
    }
    EXPECT_EQ(liveNews.load(), live);
}
