#include "core/SharedState.h"

namespace {
SharedState& Instance() {
    static SharedState state;
    return state;
}
}  // namespace

SharedState& Shared() {
    return Instance();
}

void ResetSharedState() {
    Instance() = SharedState();
}
