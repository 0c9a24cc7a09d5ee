#include "wavetable/MorphTable.h"

#include "wavetable/CycleMath.h"

namespace halvo
{

float MorphTable::lookupMorphed (float position, int level, float samplePosition) const noexcept
{
    if (frameCount < 1)
        return 0.0f;

    const int clampedLevel = std::clamp (level, 0, Wavetable::numLevels - 1);
    const auto point = cycle::readPointFor (samplePosition);

    if (frameCount == 1)
        return cycle::interpolate (frames[0].getLevel (clampedLevel), point);

    // A NaN position counts as 0 so that the frame index below is always defined.
    const float clampedPosition = position > 0.0f ? std::min (position, 1.0f) : 0.0f;
    const float framePosition = (float) (frameCount - 1) * clampedPosition;
    const int frame = std::min ((int) framePosition, frameCount - 2);
    const float weight = framePosition - (float) frame;

    const float a = cycle::interpolate (frames[(size_t) frame].getLevel (clampedLevel), point);
    const float b = cycle::interpolate (frames[(size_t) frame + 1].getLevel (clampedLevel), point);

    // At the end of the range the last frame is returned as it is: a + (b - a) can differ from
    // b by a rounding step when b - a is inexact.
    return weight < 1.0f ? a + (b - a) * weight : b;
}

} // namespace halvo
