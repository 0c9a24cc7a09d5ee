#include "wavetable/SharedWavetables.h"

namespace halvo
{

const SharedWavetables& SharedWavetables::instance()
{
    // A function-local static is built exactly once even when several threads ask at once.
    static const SharedWavetables shared;
    return shared;
}

} // namespace halvo
