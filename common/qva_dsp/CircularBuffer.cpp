#include "CircularBuffer.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace QVA::DSP
{
CircularBuffer::~CircularBuffer()
{
    // Own storage first, then the chain of replaced lines.
    positions.reset();
    channels.reset();
    storage.reset();
    predecessor.reset();
}

std::unique_ptr<CircularBuffer> CircularBuffer::realloc(std::unique_ptr<CircularBuffer> current,
                                                        int numChannels, int length)
{
    if (current != nullptr)
        current->predecessor.reset();

    // A negative size is an allocation failure, reported the way new[] reports an impossible length.
    if (numChannels < 0 || length < 0)
        throw std::bad_array_new_length();

    auto line = std::make_unique<CircularBuffer>();
    const auto count = static_cast<std::ptrdiff_t>(numChannels);
    const auto perChannel = static_cast<std::ptrdiff_t>(length) * 2;
    line->storage.reset(new double[static_cast<std::size_t>(count * perChannel)]());
    line->channels.reset(new double*[static_cast<std::size_t>(count)]);
    line->positions.reset(new int[static_cast<std::size_t>(count)]());
    for (std::ptrdiff_t ch = 0; ch < count; ++ch)
        line->channels[ch] = line->storage.get() + ch * perChannel;
    line->numChannels = numChannels;
    line->length = length;
    line->predecessor = std::move(current);
    return line;
}

void CircularBuffer::write(int channel, const double* values, int count, int stride) noexcept
{
    // Only the last `length` values survive a long run.
    if (count > length)
    {
        values += static_cast<std::ptrdiff_t>(count - length) * stride;
        positions[channel] = (positions[channel] + count - length) % length;
        count = length;
    }
    auto* line = channels[channel];
    auto p = positions[channel];
    for (int i = 0; i < count; ++i, values += stride)
    {
        line[p] = *values;
        line[p + length] = *values;
        if (++p == length)
            p = 0;
    }
    positions[channel] = p;
}

void CircularBuffer::clear() noexcept
{
    if (storage == nullptr)
        return;
    std::fill_n(storage.get(), static_cast<std::size_t>(numChannels) * static_cast<std::size_t>(length) * 2,
                0.0);
    std::fill_n(positions.get(), numChannels, 0);
}
} // namespace QVA::DSP
