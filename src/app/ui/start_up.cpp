// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ui/start_up.h"

#include "app/ui/qt_dialogs.h"
#include "app/ui/splash_window.h"

#include <QEventLoop>

namespace kv {

std::unique_ptr<MainWindow> startUp(const QString& programFolder, Dialogs* dialogs,
                                    std::unique_ptr<PortSettings> portSettings) {
    Branding branding;
    {
        QtDialogs ownDialogs(nullptr);
        SplashWindow splash(programFolder, dialogs ? *dialogs : ownDialogs, branding);
        // Not exec(): its unload time may run out while the splash is still being shown
        // (a loaded machine, a slow display), and a dialog closed before exec() enters its
        // loop leaves that loop waiting for ever.
        QEventLoop loop;
        QObject::connect(&splash, &QDialog::finished, &loop, &QEventLoop::quit);
        splash.setModal(true);
        splash.show();
        if (splash.isVisible()) loop.exec();
    }
    auto window = std::make_unique<MainWindow>(std::move(branding), dialogs, programFolder,
                                               std::move(portSettings));
    window->show();
    return window;
}

} // namespace kv
