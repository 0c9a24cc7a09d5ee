#pragma once

#include <array>
#include <cstdint>

namespace halvo
{

/** The modulation sources, by the slot they take in every matrix's source table. */
enum class ModulationSourceId : uint8_t
{
    LFO1 = 0, LFO2 = 1, ENV1 = 2, VEL = 3, BEND = 4, CAPAMP = 5,
    LFO3 = 6, LFO4 = 7, LFO5 = 8, LFO6 = 9, LFO7 = 10, LFO8 = 11, LFO9 = 12, LFO10 = 13,
    ENV2 = 14, ENV3 = 15, ENV4 = 16,
    MAC1 = 17, MAC2 = 18, MAC3 = 19, MAC4 = 20, MAC5 = 21, MAC6 = 22, MAC7 = 23, MAC8 = 24,
    NOTE = 25
};

/** The modulation destinations, by the index of their sum in a matrix. 19..48 are the rate,
    amount and phase of LFO 1..10, three each (see lfoRateDestination and its neighbours). */
enum class ModulationDestination : uint8_t
{
    OSCA_PITCH = 0, OSCB_PITCH = 1, F1_CUTOFF = 2, OSCA_LEVEL = 3, OSCB_LEVEL = 4, SUB_LEVEL = 5,
    PAN = 6, WT_POS = 7, OSCC_PITCH = 8, OSCC_LEVEL = 9, NOISE_LEVEL = 10,
    OSCA_WTPOS = 11, OSCB_WTPOS = 12, OSCC_WTPOS = 13, F2_CUTOFF = 14,
    F1_RES = 15, F1_DRIVE = 16, F2_RES = 17, F2_DRIVE = 18,
    LFO1_RATE = 19
};

constexpr int numModulationSources = 26;
constexpr int numModulationDestinations = 49;
constexpr int firstLfoDestination = 19;

/** The destinations of LFO n (1..10). */
constexpr int lfoRateDestination (int n) noexcept { return firstLfoDestination + 3 * (n - 1); }
constexpr int lfoAmountDestination (int n) noexcept { return lfoRateDestination (n) + 1; }
constexpr int lfoPhaseDestination (int n) noexcept { return lfoRateDestination (n) + 2; }

/** The source slot of LFO n (1..10): LFO1 and LFO2 come first, LFO3..LFO10 after CAPAMP. */
constexpr int lfoSourceSlot (int n) noexcept { return n <= 2 ? n - 1 : 6 + (n - 3); }
constexpr int macroSourceSlot (int n) noexcept { return 17 + (n - 1); }

/** One connection inside a matrix: the value of a source, times the depth, into a sum. */
struct ModulationRoute
{
    ModulationSourceId source = ModulationSourceId::LFO1;
    ModulationDestination destination = ModulationDestination::OSCA_PITCH;
    float depth = 0.0f;
    bool enabled = false;
};

/** The user's routes in numeric form, as the audio thread applies them. */
struct RouteSnapshot
{
    static constexpr int maxRoutes = 24;

    std::array<ModulationRoute, maxRoutes> routes {};
    int32_t count = 0;
    int32_t version = 0;  // changes with every publication; the readers start from -1
};

} // namespace halvo
