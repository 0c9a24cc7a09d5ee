#pragma once

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>

namespace halvo
{

/** How the audio thread reads raw parameter values. Choice and integer parameters are
    truncated toward zero; a bool parameter is on at 0.5 or more. A missing parameter (null
    pointer) leaves the destination untouched, so a value that cannot be read never changes
    the sound. */
namespace raw
{
    /** Truncates toward zero without undefined behaviour for non-finite or huge values. */
    inline int32_t truncate (float value) noexcept
    {
        if (! std::isfinite (value))
            return 0;

        constexpr float limit = 2147483520.0f; // largest float below 2^31
        return static_cast<int32_t> (std::clamp (value, -limit, limit));
    }

    /** Rounds to the nearest integer, halves away from zero; 0 for non-finite values. */
    inline int32_t roundHalfAwayFromZero (float value) noexcept
    {
        return std::isfinite (value) ? truncate (std::round (value)) : 0;
    }

    inline bool read (const std::atomic<float>* p, float& destination) noexcept
    {
        if (p == nullptr)
            return false;

        destination = p->load (std::memory_order_relaxed);
        return true;
    }

    inline bool readTruncated (const std::atomic<float>* p, int32_t& destination) noexcept
    {
        if (p == nullptr)
            return false;

        destination = truncate (p->load (std::memory_order_relaxed));
        return true;
    }

    inline bool readTruncatedClamped (const std::atomic<float>* p, int32_t& destination, int32_t lowest, int32_t highest) noexcept
    {
        if (p == nullptr)
            return false;

        destination = std::clamp (truncate (p->load (std::memory_order_relaxed)), lowest, highest);
        return true;
    }

    inline bool readSwitch (const std::atomic<float>* p, bool& destination) noexcept
    {
        if (p == nullptr)
            return false;

        destination = p->load (std::memory_order_relaxed) >= 0.5f;
        return true;
    }

    /** The current value, or the fallback when the parameter is missing. */
    inline float valueOr (const std::atomic<float>* p, float fallback) noexcept
    {
        return p != nullptr ? p->load (std::memory_order_relaxed) : fallback;
    }
} // namespace raw

} // namespace halvo
