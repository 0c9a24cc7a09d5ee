#pragma once

namespace halvo::generators
{

/** The frame generators of the built-in morph tables. Each one draws one 2048-sample cycle for
    the frame position x in [0, 1] into out (which arrives zeroed) and depends on x alone; the
    frame index is passed only to match MorphTable::build. Unless noted, the cycle ends scaled
    to a peak of 1. */
void genSaw (int frameIndex, float position, float* out) noexcept;
void genSquare (int frameIndex, float position, float* out) noexcept;
void genSine (int frameIndex, float position, float* out) noexcept; // not rescaled
void genTriangle (int frameIndex, float position, float* out) noexcept;
void genHarmonicSweep (int frameIndex, float position, float* out) noexcept;
void genOddEven (int frameIndex, float position, float* out) noexcept;
void genFormant (int frameIndex, float position, float* out) noexcept;
void genFoldedSine (int frameIndex, float position, float* out) noexcept;
void genReese (int frameIndex, float position, float* out) noexcept;
void genGrowl (int frameIndex, float position, float* out) noexcept;
void genDirtyDubstep (int frameIndex, float position, float* out) noexcept;
void genSubRound (int frameIndex, float position, float* out) noexcept;
void genFmMetal (int frameIndex, float position, float* out) noexcept;
void genVowelTalker (int frameIndex, float position, float* out) noexcept;
void genFoldScreamer (int frameIndex, float position, float* out) noexcept;
void genSyncSaw (int frameIndex, float position, float* out) noexcept;
void genMetalClang (int frameIndex, float position, float* out) noexcept;
void genReeseWide (int frameIndex, float position, float* out) noexcept;
void genBitDirt (int frameIndex, float position, float* out) noexcept;
void genSubPunch (int frameIndex, float position, float* out) noexcept;

} // namespace halvo::generators
