// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/qt_link_host.h"

#include "link/ui/delay_timer.h"

#include <QCoreApplication>

namespace kv {

void QtLinkHost::processEvents() {
    QCoreApplication::processEvents();
}

void QtLinkHost::DelayTimer(std::int32_t ms) {
    kv::DelayTimer(ms);
}

} // namespace kv
