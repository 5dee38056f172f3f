// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports on Windows. The driver passes bytes on as they come; line errors are the
// flags ClearCommError reports (and clears) on the port's handle.
#include "link/serial_line.h"

#include <windows.h>

namespace kv {

bool requestLowLatency(std::intptr_t) {
    return false;
}

bool updateLineErrorCounts(std::intptr_t handle, LineErrorCounts& counts) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(reinterpret_cast<HANDLE>(handle), &errors, &status)) return false;
    static constexpr DWORD kinds[4] = {CE_FRAME, CE_OVERRUN, CE_RXOVER, CE_RXPARITY};
    for (std::size_t i = 0; i < counts.size(); ++i)
        if (errors & kinds[i]) ++counts[i];
    return true;
}

bool userMayUseDevice(const std::string&) {
    return true;
}

} // namespace kv
