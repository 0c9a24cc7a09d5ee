#pragma once

#include <array>
#include <cstdint>

namespace halvo
{

class WavetableBank;
class WavetableLibrary;
class CaptureEngine;
class LFO;
class ValueModulationSource;
struct RouteSnapshot;

/** The settings of one wavetable oscillator for the current block. */
struct OscillatorParams
{
    int32_t shape = 1;              // WaveShape: 0 Sine, 1 Saw, 2 Square
    float level = 1.0f;             // 0..1
    int32_t octave = 0;
    int32_t tune = 0;               // semitones
    float fineTune = 0.0f;          // cents
    bool useWavetable = false;      // play the morph table rather than the basic shape
    int32_t wavetableIndex = 0;     // the voice clamps it to the library's range
    float wavetablePosition = 0.0f; // 0..1
    int32_t warpMode = 0;           // 0..5
    float warpAmount = 0.0f;        // 0..1
};

/** The settings of one state-variable filter for the current block. */
struct SingleFilterParams
{
    bool enabled = true;
    int32_t mode = 0;         // FilterMode: 0 Low, 1 High, 2 Band, 3 Notch
    int32_t slope = 0;        // 0 = 12 dB, 1 = 24 dB
    float cutoff = 12000.0f;  // Hz
    float resonance = 0.2f;   // 0..1
    float drive = 0.0f;       // 0..1
    float mix = 1.0f;         // 0..1
    float keyTrack = 0.0f;    // 0..1
};

/** Attack, decay, sustain and release of a modulation envelope. */
struct EnvelopeSettings
{
    float attack = 0.005f;  // seconds
    float decay = 0.15f;    // seconds
    float sustain = 0.8f;   // 0..1
    float release = 0.3f;   // seconds
};

/** Everything global that the voices read, rewritten by the processor at the start of every
    audio block before any voice renders, so all voices of a block see the same values.
    Voices never read parameters themselves. Written and read on the audio thread only. */
struct VoiceSharedState
{
    static constexpr int numLfos = 10;
    static constexpr int numMacros = 8;
    static constexpr int numFixedDepths = 9;

    const WavetableBank* wavetableBank = nullptr;
    const WavetableLibrary* wavetableLibrary = nullptr;

    OscillatorParams oscA;
    OscillatorParams oscB;
    OscillatorParams oscC;
    float oscAFmAmount = 0.0f;  // phase modulation of A by B, 0..1

    int32_t subShape = 0;       // WaveShape: 0 Sine or 2 Square
    float subLevel = 0.0f;
    float noiseLevel = 0.0f;

    CaptureEngine* captureEngine = nullptr;
    bool captureEnabled = false;
    float captureLevel = 0.5f;
    bool captureGranular = false;

    float ampAttack = 0.005f;
    float ampDecay = 0.15f;
    float ampSustain = 0.8f;
    float ampRelease = 0.3f;

    float filterCutoff = 12000.0f;
    float filterResonance = 0.2f;
    int32_t filterMode = 0;
    SingleFilterParams filter1;
    SingleFilterParams filter2;
    int32_t filterRouting = 0;  // 0 series, 1 parallel

    std::array<LFO*, numLfos> lfos {};
    std::array<ValueModulationSource*, numMacros> macros {};

    EnvelopeSettings env2;
    EnvelopeSettings env3;
    EnvelopeSettings env4;

    /** Depths of the nine fixed routes, in the order of the "modDepth" parameters. */
    std::array<float, numFixedDepths> fixedDepths {};

    int32_t unisonCount = 1;    // the voice clamps it to 1..16
    float unisonDetune = 0.0f;  // cents
    float unisonWidth = 0.0f;   // 0..1
    float portamento = 0.0f;    // seconds
    bool legato = false;

    const RouteSnapshot* routeSnapshot = nullptr;
};

} // namespace halvo
