// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ui/history_folder.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

namespace kv {

std::string historyFolder() {
    // The data folder follows the names the application goes by: the ones the port
    // setting is stored under, whatever the running program called itself.
    const QString organization = QCoreApplication::organizationName();
    const QString application = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName(QStringLiteral("KestrelVanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrel_Vanta_Main"));
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCoreApplication::setOrganizationName(organization);
    QCoreApplication::setApplicationName(application);
    return QFile::encodeName(data + QStringLiteral("/history")).toStdString();
}

} // namespace kv
