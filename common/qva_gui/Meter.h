#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace QVA
{
// A display of one reading in [0, 1]. The editor's timer feeds it; it repaints only when the
// reading changes.
class Meter : public juce::Component
{
public:
    explicit Meter(juce::Rectangle<int> bounds);

    // Ignores a reading approximately equal to the stored one; otherwise stores it clamped to
    // [0, 1] and repaints. The stored value is compared with the unclamped reading, so a reading
    // that stays out of range repaints every time.
    virtual void setValue(double newValue);
    double getValue() const noexcept { return value; }

protected:
    double value = 0.0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Meter)
};

// A meter drawn from a vertical filmstrip, frame 0 the lowest reading (the highest if inverted).
class ImageMeter : public Meter
{
public:
    ImageMeter(juce::Rectangle<int> bounds, const juce::String& pictureName, int numFrames);
    ImageMeter(juce::Rectangle<int> bounds, const juce::Image& picture, int numFrames);

    void paint(juce::Graphics& g) override;
    int getFrameIndex() const;

    bool inverted = false;

private:
    juce::Image picture;
    int numFrames = 0;
    int frameWidth = 0;
    int frameHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ImageMeter)
};

// Two doubles are equal when within the smallest normal double or within one epsilon relative to
// the larger magnitude; a value that is not finite equals only itself.
bool approximatelyEqualReadings(double a, double b) noexcept;
} // namespace QVA
