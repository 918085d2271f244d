#include "StateBlob.h"

#include <cstring>

namespace QVA::StateBlob
{
namespace
{
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 0;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xc0) == 0x80;
}

// The second byte of a multi-byte sequence has a narrower range for some leads: this excludes
// overlong forms (e0, f0), surrogates (ed) and code points above U+10FFFF (f4).
bool secondByteInRange(unsigned char lead, unsigned char second)
{
    switch (lead)
    {
    case 0xe0:
        return second >= 0xa0 && second <= 0xbf;
    case 0xed:
        return second >= 0x80 && second <= 0x9f;
    case 0xf0:
        return second >= 0x90 && second <= 0xbf;
    case 0xf4:
        return second >= 0x80 && second <= 0x8f;
    default:
        return isContinuation(second);
    }
}

bool containsText(const char* text, size_t numBytes, const char* needle)
{
    const auto needleLength = std::strlen(needle);
    for (size_t i = 0; i + needleLength <= numBytes; ++i)
        if (std::memcmp(text + i, needle, needleLength) == 0)
            return true;
    return false;
}
} // namespace

bool isValidUtf8(const char* text, size_t numBytes)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < numBytes;)
    {
        const auto length = sequenceLength(bytes[i]);
        if (length == 0 || i + static_cast<size_t>(length) > numBytes)
            return false;
        if (length > 1 && !secondByteInRange(bytes[i], bytes[i + 1]))
            return false;
        for (int k = 2; k < length; ++k)
            if (!isContinuation(bytes[i + static_cast<size_t>(k)]))
                return false;
        i += static_cast<size_t>(length);
    }
    return true;
}

int elementDepth(const char* text, size_t numBytes)
{
    int depth = 0;
    int deepest = 0;
    for (size_t i = 0; i < numBytes; ++i)
    {
        if (text[i] != '<' || i + 1 >= numBytes)
            continue;
        const auto next = text[i + 1];
        if (next == '/')
        {
            --depth;
            continue;
        }
        if (next == '?' || next == '!')
            continue;
        deepest = std::max(deepest, ++depth);
        const auto* close = static_cast<const char*>(std::memchr(text + i, '>', numBytes - i));
        if (close == nullptr)
            break;
        if (close > text + i && close[-1] == '/')
            --depth;
        i = static_cast<size_t>(close - text);
    }
    return deepest;
}

std::unique_ptr<juce::XmlElement> parse(const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes < 9 || juce::ByteOrder::littleEndianInt(data) != magic)
        return {};

    const auto* bytes = static_cast<const char*>(data);
    const auto length = static_cast<juce::int32>(juce::ByteOrder::littleEndianInt(bytes + 4));
    if (length <= 0)
        return {};

    const auto available = std::min(static_cast<size_t>(length), static_cast<size_t>(sizeInBytes - 8));
    const auto* text = bytes + 8;
    const auto textLength = strnlen(text, available);

    if (textLength == 0 || !isValidUtf8(text, textLength) || containsText(text, textLength, "<!DOCTYPE") ||
        containsText(text, textLength, "<!ENTITY") || elementDepth(text, textLength) > maxElementDepth)
        return {};

    return juce::parseXML(juce::String::fromUTF8(text, static_cast<int>(textLength)));
}
} // namespace QVA::StateBlob
