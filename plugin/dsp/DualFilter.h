#pragma once

#include "dsp/StateVariableFilter.h"
#include "engine/VoiceSharedState.h"

#include <array>

namespace halvo
{

/** One of the voice's two filters: one state-variable stage for "12 dB", two for "24 dB",
    with drive, dry/wet mix and key tracking. */
struct DualFilter
{
    /** The note frequency at which key tracking leaves the cutoff unchanged (C3). */
    static constexpr float keyTrackReference = 130.81f;

    std::array<StateVariableFilter, 2> stages;
    int stageCount = 1;
    SingleFilterParams params;

    /** The drive curve's block constants, derived from params.drive by load(): the gain G = 3d + 1
        and the weight (1 - d) / tanh (G) of the level-normalised part, so that the per-sample path
        needs a single tanh. */
    float driveGain = 1.0f;
    float normalisedDriveWeight = 0.0f;

    void prepare (double sampleRate) noexcept;

    /** Takes the filter's settings for this block: stage count from the slope, both stages'
        mode from the filter's mode, and the drive curve's constants. Settings are changed
        through here rather than by writing params directly. */
    void load (const SingleFilterParams& newParams) noexcept;

    /** Sets the stages' cutoff and resonance targets from the settings and the key frequency. */
    void pushCutoff (float keyFrequencyHz) noexcept;

    static void pushCutoff (std::array<StateVariableFilter, 2>& stages, int stageCount,
                            const SingleFilterParams& params, float keyFrequencyHz) noexcept;

    /** Ramps jump to their targets and the integrators clear, for a new note. */
    void startFromTargets() noexcept;

    /** True when the filter passes its input untouched (disabled, or mix 1e-4 or less). */
    bool isBypassed() const noexcept;

    /** Drive, the stages in order, and the dry/wet mix against the undriven input. */
    float processSample (float input) noexcept;
};

/** The voice's two filters and their routing, run on the voice's mid signal. */
class FilterSection
{
public:
    void prepare (double sampleRate) noexcept;

    /** Per block: both filters' settings (already modulated) and the routing (0 series,
        1 parallel), then the cutoffs pushed for the key frequency. */
    void update (const SingleFilterParams& filter1, const SingleFilterParams& filter2, int routing, float keyFrequencyHz) noexcept;

    /** For a new note, after update(): start exactly at the targets from silence. */
    void startNote() noexcept;

    float processSample (float mid) noexcept;

    /** 440 * 2^((note + bend - 69) / 12), or the C3 reference when that is not a positive
        finite number. */
    static float keyFrequency (float note, float bendSemitones) noexcept;

    const DualFilter& getFilter1() const noexcept { return filter1; }
    const DualFilter& getFilter2() const noexcept { return filter2; }

private:
    DualFilter filter1, filter2;
    int routing = 0;
};

} // namespace halvo
