#include "wavetable/MorphTable.h"

namespace halvo
{

MorphTable::FramePair MorphTable::framesAt (float position, int level) const noexcept
{
    FramePair pair;
    if (frameCount < 1)
        return pair;

    const int clampedLevel = std::clamp (level, 0, Wavetable::numLevels - 1);

    if (frameCount == 1)
    {
        pair.first = frames[0].getLevel (clampedLevel);
        return pair;
    }

    // A NaN position counts as 0 so that the frame index below is always defined.
    const float clampedPosition = position > 0.0f ? std::min (position, 1.0f) : 0.0f;
    const float framePosition = (float) (frameCount - 1) * clampedPosition;
    const int frame = std::min ((int) framePosition, frameCount - 2);

    pair.first = frames[(size_t) frame].getLevel (clampedLevel);
    pair.second = frames[(size_t) frame + 1].getLevel (clampedLevel);
    pair.weight = framePosition - (float) frame;
    return pair;
}

} // namespace halvo
