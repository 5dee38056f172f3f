// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/start_up.h"

#include "app/ui/qt_dialogs.h"
#include "app/ui/splash_window.h"

namespace kv {

std::unique_ptr<MainWindow> startUp(const QString& programFolder, Dialogs* dialogs,
                                    std::unique_ptr<PortSettings> portSettings) {
    Branding branding;
    {
        QtDialogs ownDialogs(nullptr);
        SplashWindow splash(programFolder, dialogs ? *dialogs : ownDialogs, branding);
        splash.exec();
    }
    auto window = std::make_unique<MainWindow>(std::move(branding), dialogs, programFolder,
                                               std::move(portSettings));
    window->show();
    return window;
}

} // namespace kv
