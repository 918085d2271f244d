#pragma once

// Every fixed figure of the Ostrel Mark II engine: circuit values, cell constants, tapers and the
// resting operating point. Units: volts, ohms, farads, siemens, hertz and seconds unless stated.
namespace QVA::OstrelMkII
{
inline constexpr int numSmoothedValues = 19;
inline constexpr int maxChannels = 8;
inline constexpr int latencySamples = 32;
inline constexpr double provisionalSampleRate = 41000.0;

// Smoothed value indices. 9..13 are the panel drive biquad (b0, b1, a1, b2, a2).
enum SmoothedIndex
{
    powerIndex = 0,
    inputGainIndex,
    inputPotIndex,
    peakGainIndex,
    peakPotIndex,
    limitResistorIndex,
    mixIndex,
    makeupIndex,
    externalKeyIndex,
    panelB0Index,
    panelB1Index,
    panelA1Index,
    panelB2Index,
    panelA2Index,
    panelAlphaIndex,
    panelBetaIndex,
    darkConductanceIndex,
    attackRateIndex,
    releaseRateIndex
};

// Parameter indices as the processor registers them.
enum ParameterIndex
{
    powerParameter = 0,
    peakRecParameter,
    gainParameter,
    modeParameter,
    vuLevelParameter,
    extSidechainParameter,
    emphasisParameter,
    cellSelectParameter,
    makeupParameter,
    mixParameter
};

// Makeup taper in dB at settings 0, 0.1, ..., 1.
inline constexpr double VOLTAPER[11] = {-50, -40, -20, -10, -5, 0, 5, 10, 15, 20, 30};

// Emphasis pot taper (fraction of the 1 Mohm pot) at settings 0, 0.1, ..., 1.
inline constexpr double EMPHASISTABLE[11] = {1e-06, 0.03, 0.04, 0.05, 0.08, 0.106634,
                                             0.15,  0.3,  0.5,  0.7,  1.0};
inline constexpr double emphasisPotOhms = 1000000.0;
inline constexpr double emphasisOutputGain = 0.35;
// The emphasis fades between designs over two seconds.
inline constexpr double emphasisFadeSeconds = 2.0;
inline constexpr double emphasisPrewarpHz = 1000.0;
inline constexpr double defaultEmphasis = 0.8;

// Optical cells A, B, C: panel parallel resistor and series capacitor (drive high-pass), panel light
// law L = beta * exp(-alpha / |U|), resistor dark value and square-law attack/release rates (per second).
inline constexpr int numCells = 3;
inline constexpr double ELPRPAR[numCells] = {2800000, 1405, 10000};
inline constexpr double ELPCSERIES[numCells] = {1e-08, 2.5005e-05, 5e-05};
inline constexpr double ELPALPHA[numCells] = {20, 30, 40};
inline constexpr double ELPBETA[numCells] = {0.005916079783099616, 0.21748563170931545, 0.30740852297878796};
inline constexpr double LDRDARKR[numCells] = {5300000, 3975000, 2650000};
inline constexpr double LDRATTCOEFF[numCells] = {1757.7999770641327, 931.85, 105.9};
inline constexpr double LDRRELCOEFF[numCells] = {-384701.4608410001, -233721.7304, -82742.0};
// The panel drive is also low-passed by its own capacitance.
inline constexpr double panelLowPassHz = 10610.32953945969;

// Needle positions at needle values 0, 1/14, ..., 1.
inline constexpr double VUTABLE[15] = {0.052, 0.078, 0.154, 0.227, 0.301, 0.367, 0.449, 0.522,
                                       0.592, 0.648, 0.709, 0.774, 0.833, 0.909, 0.965};
// Initial meter slots per sample: input level, gain-reduction level, output level.
inline constexpr double vuFeed[3] = {0.0, 1.0, 0.0};
// Full scale to VU reference (+15 dB) and the gain at which the gain-reduction reading is 1.
inline constexpr double vuInputScale = 5.623320761297995;
inline constexpr double vuGainScale = 1.70595;
inline constexpr double needleCutoffHz = 2.0;
inline constexpr double needleTwoQ = 0.9; // Q 0.45

// Audio path: full scale in volts, transformer fluxes and levels.
inline constexpr double fullScaleVolts = 8.70142984443495;
inline constexpr double inputScale = 1.0;
inline constexpr double outputScale = 0.25118864315095796; // -12 dB
inline constexpr double inputFluxGain = 48.3412769135275;
inline constexpr double outputFluxGain = 2.122299962057305;
inline constexpr double transformerHighPassHz = 0.53;
inline constexpr double stage1HighPassHz = 3.3862753849339433;
inline constexpr double stage2HighPassHz = 16.931376924669717;
inline constexpr double stage3HighPassHz = 3.183098861837906;
// Tube table input scales (1/18 V for the audio triodes, 1/275 V for the driver, 1/14 V for the
// side-chain triode, 1/40 V for the pentode), as the tables were generated.
inline constexpr double audioTriodeScale = 0.0555555556;
inline constexpr double driverScale = 0.0036363636;
inline constexpr double sidechainTriodeScale = 0.0714285714;
inline constexpr double pentodeScale = 0.025;
inline constexpr double tubeGridOffset = 0.5;

// Gain and peak-reduction pots: 100 k track, 99 x 50 fF of stray capacitance.
inline constexpr double potOhms = 100000.0;
inline constexpr double potStrayFarads = 5e-14 * 99.0;
inline constexpr double limitResistorOhms = 2700.0;

// Side chain: triode cathode (30 us, 220 ohm), pentode cathode (47 ms, 47 ohm per mA), plate supply,
// resistor network around the cell (100 k shunt, 100 k load, 68 k series).
inline constexpr double plateSupplyVolts = 275.0;
inline constexpr double triodeCathodeSeconds = 0.00003;
inline constexpr double triodeCathodeScale = 0.004545454545454545; // 1/220
inline constexpr double pentodeCathodeSeconds = 0.047;
inline constexpr double pentodeCathodeScale = 0.047;
inline constexpr double cellShuntOhms = 100000.0;
inline constexpr double cellLoadOhms = 100000.0;
inline constexpr double cellSeriesOhms = 68000.0;
inline constexpr double panelEpsilon = 2.220446049250313e-16;

// Parameter smoothing time constant.
inline constexpr double smoothingSeconds = 0.05;

// Resting operating point of the circuit (quiescent states with no signal). The coupling capacitor
// states follow from these and the filter coefficients of the running rate.
inline constexpr double restingGain = 0.4214376590330789;
inline constexpr double restingTriodeCathode = 0.7764993257808589;
inline constexpr double restingPentodeCathode = 5.449111552911088;
// Output of the driver stage at rest: the fixed point z = T3(z / 275 V).
inline constexpr double restingStage3Output = 201.6684667897521;
inline constexpr double restingNeedle = 0.7189515744274809; // restingGain * vuGainScale

// Defaults of the parameter set.
inline constexpr double defaultPeakLevel = 0.001;                 // "Peak Rec" 0
inline constexpr double defaultInputLevel = 0.005623413251903491; // "Gain" 0.25
inline constexpr int defaultMeterSelection = 1;                   // "GainRed"

// Oversampling filters: Dolph-Chebyshev window for 72 dB side lobes; cut-off 0.95 pi / os.
inline constexpr int upsamplerTaps = 33;
inline constexpr double chebyshevRipple = 3981.0717055349733;    // 10^(72/20)
inline constexpr double chebyshevWeight = 0.0005023772863019159; // 2 / 10^(72/20)
inline constexpr double oversampledCutoff = 2.9845130209103035;  // 0.95 pi
} // namespace QVA::OstrelMkII
