#pragma once

#include <juce_core/juce_core.h>

#include <memory>

namespace QVA::StateBlob
{
// "VC2!": the first four bytes of every state blob.
inline constexpr juce::uint32 magic = 0x21324356;

// Blobs nest two levels deep; anything far deeper is not ours and would only cost stack.
inline constexpr int maxElementDepth = 32;

// Parses the XML carried by a state blob: magic, little-endian length, UTF-8 text. Returns null
// for anything that is not a well-formed blob: too short, other magic, a length that is not
// positive, text that is not valid UTF-8, a document type or entity declaration, nesting beyond
// maxElementDepth, or XML that does not parse. A length larger than the blob reads what is there.
std::unique_ptr<juce::XmlElement> parse(const void* data, int sizeInBytes);

// Strict UTF-8 check: no overlong forms, no surrogates, nothing above U+10FFFF, no truncation.
bool isValidUtf8(const char* text, size_t numBytes);

// Deepest element nesting of the XML text, counted from its tags.
int elementDepth(const char* text, size_t numBytes);
} // namespace QVA::StateBlob
