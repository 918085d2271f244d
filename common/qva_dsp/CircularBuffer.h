#pragma once

#include <memory>

namespace QVA::DSP
{
// Multichannel delay line with a mirrored layout: each sample is stored twice, at p and p + length,
// so the newest `length` values of a channel are always contiguous and an FIR reads them without
// wrapping. Before a write at position p, element p is the oldest value and element p + length - k is
// the value written k - 1 writes before the newest (k = 1..length).
class CircularBuffer
{
public:
    // An empty line: no channels, no storage, no predecessor.
    CircularBuffer() = default;
    ~CircularBuffer();

    CircularBuffer(const CircularBuffer&) = delete;
    CircularBuffer& operator=(const CircularBuffer&) = delete;

    // Returns a new line of the given shape, all samples 0 and all positions 0, whose predecessor is
    // `current`. The predecessor that `current` itself still kept is destroyed first, so at most two
    // generations are alive. Negative sizes make the allocation throw.
    [[nodiscard]] static std::unique_ptr<CircularBuffer> realloc(std::unique_ptr<CircularBuffer> current,
                                                                 int numChannels, int length);

    // Zeroes every sample and rewinds every position; a line without storage is left alone.
    void clear() noexcept;

    int getNumChannels() const noexcept { return numChannels; }
    int getLength() const noexcept { return length; }
    int getPosition(int channel) const noexcept { return positions[channel]; }
    const CircularBuffer* getPredecessor() const noexcept { return predecessor.get(); }

    // Stores x as the newest value of the channel.
    void write(int channel, double x) noexcept
    {
        auto& p = positions[channel];
        channels[channel][p] = x;
        channels[channel][p + length] = x;
        if (++p == length)
            p = 0;
    }

    // Writes count values in order, the same as count calls of write(); `stride` steps through the source.
    void write(int channel, const double* values, int count, int stride = 1) noexcept;

    // The value about to be overwritten by the next write: written `length` writes ago.
    double oldest(int channel) const noexcept { return channels[channel][positions[channel]]; }

    // The value written k - 1 writes before the newest, k = 1..length.
    double back(int channel, int k) const noexcept
    {
        return channels[channel][positions[channel] + length - k];
    }

    // The stored values in time order: window[0] is the oldest, window[length - 1] the newest.
    const double* window(int channel) const noexcept { return channels[channel] + positions[channel]; }

    // Raw storage of a channel, 2 x length values.
    const double* data(int channel) const noexcept { return channels[channel]; }

private:
    int numChannels = 0;
    int length = 0;
    std::unique_ptr<double[]> storage;
    std::unique_ptr<double*[]> channels;
    std::unique_ptr<int[]> positions;
    std::unique_ptr<CircularBuffer> predecessor;
};
} // namespace QVA::DSP
