#include "modulation/GlobalModulation.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

GlobalModulation::GlobalModulation()
{
    // Only LFOs and macros can reach the LFO destinations; every other slot stays empty.
    for (int n = 1; n <= numLfos; ++n)
        lfoMatrix.setSource ((ModulationSourceId) lfoSourceSlot (n), &lfos[(size_t) n - 1]);

    for (int n = 1; n <= numMacros; ++n)
        lfoMatrix.setSource ((ModulationSourceId) macroSourceSlot (n), &macros[(size_t) n - 1]);

    audioSnapshot.version = -1;
    publishRoutes();
}

void GlobalModulation::prepare (double sampleRate) noexcept
{
    for (auto& lfo : lfos)
        lfo.prepare (sampleRate);
}

void GlobalModulation::publishRoutes()
{
    RouteSnapshot snapshot;
    routeList.fillSnapshot (snapshot);
    publishedRoutes.publish (snapshot);
}

float GlobalModulation::getPhaseReadout (int lfoNumber) const noexcept
{
    if (lfoNumber < 1 || lfoNumber > numLfos)
        return 0.0f;

    return phaseReadout[(size_t) lfoNumber - 1].load (std::memory_order_relaxed);
}

//==============================================================================
void GlobalModulation::processBlock (const ModulationBlockSettings& settings, int numSamples) noexcept
{
    for (size_t i = 0; i < macros.size(); ++i)
        macros[i].setValue (settings.macros[i]);

    for (size_t i = 0; i < lfos.size(); ++i)
        lfos[i].setShape (settings.lfos[i].shape);

    pickUpRoutes();
    lfoMatrix.evaluate();
    applyLfoSelfModulation (settings);
    handOffCustomTables();

    for (size_t i = 0; i < lfos.size(); ++i)
    {
        lfos[i].processBlock (numSamples);
        phaseReadout[i].store ((float) lfos[i].getPhase(), std::memory_order_relaxed);
    }
}

void GlobalModulation::pickUpRoutes() noexcept
{
    if (publishedRoutes.fetch())
    {
        audioSnapshot = publishedRoutes.read();
        audioSnapshot.version = (int32_t) publishedRoutes.readVersion();
    }

    if (audioSnapshot.version == lfoMatrixVersion)
        return;

    // This matrix carries only the routes into the LFOs; the voices apply the rest.
    lfoMatrix.truncateRoutes (0);
    lfoMatrix.clearSums();
    for (int i = 0; i < audioSnapshot.count && i < RouteSnapshot::maxRoutes; ++i)
    {
        const auto& route = audioSnapshot.routes[(size_t) i];
        if ((int) route.destination >= firstLfoDestination && (int) route.destination < numModulationDestinations)
            lfoMatrix.addRoute (route.source, route.destination, route.depth, route.enabled);
    }

    lfoMatrixVersion = audioSnapshot.version;
}

void GlobalModulation::applyLfoSelfModulation (const ModulationBlockSettings& settings) noexcept
{
    // The sums come from the LFOs' values of the previous block: they advance only after this.
    for (int n = 1; n <= numLfos; ++n)
    {
        auto& lfo = lfos[(size_t) n - 1];
        const auto& base = settings.lfos[(size_t) n - 1];

        float rate = base.rate * std::exp2 (4.0f * lfoMatrix.getSum (lfoRateDestination (n)));
        if (! std::isfinite (rate))
            rate = base.rate;
        lfo.setRate (rate);

        const float offset = base.phaseOffset + lfoMatrix.getSum (lfoPhaseDestination (n));
        lfo.setPhaseOffset (offset - std::floor (offset));

        lfo.setAmount (1.0f + lfoMatrix.getSum (lfoAmountDestination (n)));
    }
}

void GlobalModulation::handOffCustomTables() noexcept
{
    for (int i = 0; i < numLfos; ++i)
    {
        if (customShapes.fetch (i))
        {
            const auto& table = customShapes.current (i);
            lfos[(size_t) i].setCustomTable (table.values.data(), table.active);
        }
    }
}

} // namespace halvo
