// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    // Settings written by the window under test stay out of the user's own store.
    const QByteArray config = QDir::tempPath().toLocal8Bit() + "/kv-test-config-" +
                              QByteArray::number(QCoreApplication::applicationPid());
    qputenv("XDG_CONFIG_HOME", config);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
