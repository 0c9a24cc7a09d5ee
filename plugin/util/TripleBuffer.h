#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace halvo
{

/** Hands the latest version of a value from one writer thread to one reader thread without
    locks and without torn reads.

    Three slots rotate between the writer, the reader and a middle slot that holds the newest
    complete value. The writer fills its own slot and swaps it into the middle; the reader,
    when the middle holds something new, swaps it out into its own slot. Neither side ever
    waits and neither touches the other's slot, so the reader sees a value either whole or not
    at all. A value published twice before the reader looks is simply superseded.

    Every publication carries a version number (1, 2, 3, ...) so the reader can tell whether
    what it holds is newer than what it last applied. T is copied by the writer only; keep it
    fixed-size storage so the copy allocates nothing. */
template <typename T>
class TripleBuffer
{
public:
    TripleBuffer() = default;
    explicit TripleBuffer (const T& initial)
    {
        for (auto& slot : slots)
            slot.value = initial;
    }

    //==============================================================================
    // Writer side

    /** Copies value into the writer's slot and makes it the newest publication. */
    void publish (const T& value)
    {
        auto& slot = slots[writerIndex];
        slot.value = value;
        slot.version = ++lastPublishedVersion;
        writerIndex = middle.exchange (writerIndex | freshFlag, std::memory_order_acq_rel) & indexMask;
    }

    /** Version of the last publication, as the writer knows it (0 before the first one). */
    uint32_t getPublishedVersion() const noexcept { return lastPublishedVersion; }

    //==============================================================================
    // Reader side

    /** Takes the newest publication if there is one since the last call. Returns true when
        the value returned by read() changed. */
    bool fetch() noexcept
    {
        if ((middle.load (std::memory_order_relaxed) & freshFlag) == 0)
            return false;

        readerIndex = middle.exchange (readerIndex, std::memory_order_acq_rel) & indexMask;
        return true;
    }

    /** The value the reader holds, stable until its next fetch(). */
    const T& read() const noexcept { return slots[readerIndex].value; }

    /** Version of the value the reader holds (0 before anything was published). */
    uint32_t readVersion() const noexcept { return slots[readerIndex].version; }

private:
    struct Slot
    {
        T value {};
        uint32_t version = 0;
    };

    static constexpr uint32_t indexMask = 3;
    static constexpr uint32_t freshFlag = 4;

    std::array<Slot, 3> slots {};
    std::atomic<uint32_t> middle { 1 };
    uint32_t writerIndex = 0;          // owned by the writer
    uint32_t readerIndex = 2;          // owned by the reader
    uint32_t lastPublishedVersion = 0; // owned by the writer
};

} // namespace halvo
