#pragma once

#include "engine/BlockSettings.h"
#include "modulation/LFO.h"
#include "modulation/LfoCustomShapes.h"
#include "modulation/ModRouteList.h"
#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationSource.h"
#include "modulation/ModulationTypes.h"
#include "util/TripleBuffer.h"

#include <array>
#include <atomic>

namespace halvo
{

/** The processor's global modulation: the ten LFOs, the eight macros, the user's route list
    with its published snapshot, the drawn LFO shapes, and the matrix that lets LFOs and macros
    modulate the LFOs' rate, amount and phase.

    The message thread edits the routes and the drawn shapes and publishes them; once per audio
    block the audio thread picks up what was published, modulates the LFOs with the previous
    block's values and advances them. The voices read the LFOs, the macros and the route
    snapshot within the same block, after this has run. */
class GlobalModulation
{
public:
    static constexpr int numLfos = ModulationBlockSettings::numLfos;
    static constexpr int numMacros = ModulationBlockSettings::numMacros;

    GlobalModulation();

    //==============================================================================
    // Audio thread.

    /** Takes the rate for all ten LFOs. */
    void prepare (double sampleRate) noexcept;

    /** One block: LFO settings and macros from the parameters, the route snapshot and drawn
        tables picked up, the LFO destinations applied, the LFOs advanced, the phases read out. */
    void processBlock (const ModulationBlockSettings& settings, int numSamples) noexcept;

    LFO& getLfo (int index) noexcept { return lfos[(size_t) index]; }
    const LFO& getLfo (int index) const noexcept { return lfos[(size_t) index]; }
    ValueModulationSource& getMacro (int index) noexcept { return macros[(size_t) index]; }

    /** The user's routes as the audio thread applies them this block. */
    const RouteSnapshot& getRouteSnapshot() const noexcept { return audioSnapshot; }

    const ModulationMatrix& getLfoMatrix() const noexcept { return lfoMatrix; }

    //==============================================================================
    // Message thread: the editor's operations and the state loader's.

    const std::vector<UserModRoute>& getRoutes() const noexcept { return routeList.getRoutes(); }
    ModRouteList& getRouteList() noexcept { return routeList; }

    /** Makes the current route list the one the audio thread applies from its next block. */
    void publishRoutes();

    LfoCustomShapes& getCustomShapes() noexcept { return customShapes; }
    const LfoCustomShapes& getCustomShapes() const noexcept { return customShapes; }

    /** LFO n's (1..10) phase after the last block, without its offset; 0 for other n. A
        display value: it may lag a block behind. */
    float getPhaseReadout (int lfoNumber) const noexcept;

private:
    void pickUpRoutes() noexcept;
    void applyLfoSelfModulation (const ModulationBlockSettings& settings) noexcept;
    void handOffCustomTables() noexcept;

    std::array<LFO, numLfos> lfos;
    std::array<ValueModulationSource, numMacros> macros;

    ModRouteList routeList;
    TripleBuffer<RouteSnapshot> publishedRoutes;
    RouteSnapshot audioSnapshot;

    ModulationMatrix lfoMatrix;
    int lfoMatrixVersion = -1;

    LfoCustomShapes customShapes;
    std::array<std::atomic<float>, numLfos> phaseReadout {};
};

} // namespace halvo
