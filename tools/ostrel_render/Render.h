#pragma once

#include "RenderOptions.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <vector>

namespace OstrelRender
{
// Levels over time, one point per processed block, for the summary and the plot.
struct RenderTrace
{
    double secondsPerPoint = 0.0;
    std::vector<float> inputPeakDb;
    std::vector<float> outputPeakDb;
    std::vector<float> gainReductionDb;
};

struct RenderSummary
{
    double peakInDb = 0.0;
    double rmsInDb = 0.0;
    double peakOutDb = 0.0;
    double rmsOutDb = 0.0;
    double maxGainReductionDb = 0.0;
    double averageGainReductionDb = 0.0;
    double seconds = 0.0;
    double realtimeFactor = 0.0;
};

struct RenderResult
{
    juce::String error; // empty when the file was rendered
    RenderSummary summary;
    RenderTrace trace;
};

// Called with the fraction done, 0..1, now and then while a file renders.
using ProgressCallback = std::function<void(double)>;

// Runs one file through a fresh processor set up from the options and writes a WAV file to
// `output`, aligned with the input (the plug-in's latency is compensated) and of equal length.
// Nothing is left at `output` when rendering fails.
RenderResult renderFile(const Options& options, const juce::File& input, const juce::File& output,
                        const ProgressCallback& progress);

// Where the result of `input` goes: NAME.ostrel.wav beside it or in the output folder.
juce::File outputFileFor(const Options& options, const juce::File& input);

// Writes a WAV file with the given bit depth; returns an empty text or what went wrong.
juce::String writeWavFile(const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate,
                          int bits);

// Decibels of a linear level, with silence at -120 dB.
double toDecibels(double level);
} // namespace OstrelRender
