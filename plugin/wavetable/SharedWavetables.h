#pragma once

#include "wavetable/WavetableBank.h"
#include "wavetable/WavetableLibrary.h"

namespace halvo
{

/** The bank and the library never change once built, so one read-only copy serves every
    processor in the process. It is built by the first caller (thread-safe) and lives until the
    process ends. */
struct SharedWavetables
{
    WavetableBank bank;
    WavetableLibrary library;

    static const SharedWavetables& instance();
};

} // namespace halvo
