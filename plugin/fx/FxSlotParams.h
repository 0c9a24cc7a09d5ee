#pragma once

#include <cstdint>

namespace halvo
{

/** One slot's settings for one block, read from the parameters. All seven slots share the
    layout; each slot reads only its own fields. The initial values are the parameters'
    defaults, so a parameter that cannot be read leaves its default in place. */
struct FxSlotParams
{
    bool enabled = false;

    float eqLowGainDb = 0.0f;
    float eqBellFrequency = 1000.0f;
    float eqBellGainDb = 0.0f;
    float eqHighGainDb = 0.0f;

    float compThresholdDb = -18.0f;
    float compRatio = 4.0f;
    float compAttackMs = 10.0f;
    float compReleaseMs = 120.0f;
    float compMakeupDb = 0.0f;

    int32_t distMode = 0;
    float distDrive = 4.0f;
    float distMix = 0.5f;

    float satDrive = 2.0f;
    float satMix = 0.5f;

    /** The chorus has no control for its base delay; it always sits at 7 ms. */
    float chorusBaseDelayMs = 7.0f;
    float chorusDepthMs = 3.0f;
    float chorusRateHz = 0.6f;
    float chorusFeedback = 0.2f;
    float chorusMix = 0.5f;

    float delayTimeMs = 350.0f;
    float delayFeedback = 0.35f;
    float delayMix = 0.3f;

    float reverbSize = 0.6f;
    float reverbDamping = 0.5f;
    float reverbWidth = 1.0f;
    float reverbMix = 0.3f;
};

} // namespace halvo
