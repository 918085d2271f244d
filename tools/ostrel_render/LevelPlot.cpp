#include "LevelPlot.h"

#include <juce_graphics/juce_graphics.h>

namespace OstrelRender
{
namespace
{
constexpr float topDb = 6.0f;
constexpr float bottomDb = -60.0f;
const juce::Colour background{0xff16181c};
const juce::Colour gridColour{0xff3a3f47};
const juce::Colour textColour{0xffd8d8d0};
const juce::Colour inputColour{0xff5aa9e6};
const juce::Colour outputColour{0xfff2c14e};
const juce::Colour reductionColour{0xffe4572e};

struct Axes
{
    juce::Rectangle<float> area;
    double seconds;

    float x(double t) const { return area.getX() + area.getWidth() * static_cast<float>(t / seconds); }
    float y(float dB) const
    {
        const auto clamped = juce::jlimit(bottomDb, topDb, dB);
        return area.getY() + area.getHeight() * (topDb - clamped) / (topDb - bottomDb);
    }
};

double niceStep(double span)
{
    for (double step : {0.1, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 30.0, 60.0, 120.0, 300.0})
        if (span / step <= 12.0)
            return step;
    return 600.0;
}

void drawGrid(juce::Graphics& g, const Axes& axes)
{
    g.setFont(13.0f);
    for (float dB = topDb; dB >= bottomDb; dB -= 6.0f)
    {
        g.setColour(gridColour);
        g.drawHorizontalLine(juce::roundToInt(axes.y(dB)), axes.area.getX(), axes.area.getRight());
        g.setColour(textColour);
        g.drawText(juce::String(juce::roundToInt(dB)),
                   juce::Rectangle<float>(0, axes.y(dB) - 8, axes.area.getX() - 8, 16),
                   juce::Justification::centredRight);
    }
    const auto step = niceStep(axes.seconds);
    for (double t = 0.0; t <= axes.seconds + 1.0e-9; t += step)
    {
        g.setColour(gridColour);
        g.drawVerticalLine(juce::roundToInt(axes.x(t)), axes.area.getY(), axes.area.getBottom());
        g.setColour(textColour);
        g.drawText(juce::String(t, step < 1.0 ? 2 : 0),
                   juce::Rectangle<float>(axes.x(t) - 30, axes.area.getBottom() + 6, 60, 16),
                   juce::Justification::centred);
    }
    g.drawText("time (s)",
               juce::Rectangle<float>(axes.area.getCentreX() - 60, axes.area.getBottom() + 26, 120, 16),
               juce::Justification::centred);
    g.drawText("dB", juce::Rectangle<float>(8, axes.area.getY() - 26, 40, 16),
               juce::Justification::centredLeft);
}

void drawCurve(juce::Graphics& g, const Axes& axes, const std::vector<float>& values, double secondsPerPoint,
               float sign, juce::Colour colour)
{
    juce::Path path;
    for (size_t i = 0; i < values.size(); ++i)
    {
        const auto point =
            juce::Point<float>(axes.x(static_cast<double>(i) * secondsPerPoint), axes.y(sign * values[i]));
        i == 0 ? path.startNewSubPath(point) : path.lineTo(point);
    }
    g.setColour(colour);
    g.strokePath(path, juce::PathStrokeType(1.5f));
}

void drawLegend(juce::Graphics& g, const Axes& axes)
{
    const std::pair<const char*, juce::Colour> entries[] = {{"Input level (peak)", inputColour},
                                                            {"Output level (peak)", outputColour},
                                                            {"Gain reduction", reductionColour}};
    auto row = juce::Rectangle<float>(axes.area.getRight() - 210, axes.area.getY() + 10, 200, 20);
    g.setColour(background.withAlpha(0.85f));
    g.fillRect(row.withHeight(66).expanded(6, 4));
    for (const auto& [label, colour] : entries)
    {
        g.setColour(colour);
        g.fillRect(row.removeFromLeft(24).withSizeKeepingCentre(24, 3));
        g.setColour(textColour);
        g.drawText(label, row.withTrimmedLeft(8), juce::Justification::centredLeft);
        row = row.withX(axes.area.getRight() - 210).withWidth(200).translated(0, 22);
    }
}
} // namespace

juce::String writeLevelPlot(const juce::File& file, const RenderTrace& trace, const juce::String& title)
{
    juce::Image image(juce::Image::RGB, plotWidth, plotHeight, true);
    {
        juce::Graphics g(image);
        g.fillAll(background);
        const auto seconds =
            std::max(trace.secondsPerPoint * static_cast<double>(trace.inputPeakDb.size()), 1.0e-3);
        const Axes axes{juce::Rectangle<float>(70, 50, plotWidth - 100, plotHeight - 110), seconds};
        g.setColour(textColour);
        g.setFont(16.0f);
        g.drawText(title, juce::Rectangle<float>(70, 12, plotWidth - 100, 24),
                   juce::Justification::centredLeft);
        drawGrid(g, axes);
        drawCurve(g, axes, trace.inputPeakDb, trace.secondsPerPoint, 1.0f, inputColour);
        drawCurve(g, axes, trace.outputPeakDb, trace.secondsPerPoint, 1.0f, outputColour);
        drawCurve(g, axes, trace.gainReductionDb, trace.secondsPerPoint, -1.0f, reductionColour);
        drawLegend(g, axes);
    }

    file.getParentDirectory().createDirectory();
    juce::FileOutputStream stream(file);
    if (!stream.openedOk() || !stream.setPosition(0) || !stream.truncate().wasOk())
        return "cannot write the plot '" + file.getFullPathName() + "'";
    juce::PNGImageFormat png;
    if (!png.writeImageToStream(image, stream))
        return "cannot write the plot '" + file.getFullPathName() + "'";
    return {};
}
} // namespace OstrelRender
