#pragma once

namespace modWinXP {

// True when the common controls were initialised without error.
bool InitCommonControlsVB();

}  // namespace modWinXP
