// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ui/main_window.h"
#include "support/scripted_dialogs.h"
#include "support/test_files.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace kv::test {

// The main window, shown, over a folder of its own holding every companion file, with
// scripted prompts (the start-up ones already answered and cleared).
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.copyAllData();
        w = std::make_unique<MainWindow>(defaultBranding(), &dialogs,
                                         QString::fromStdString(dir.path().string()));
        dialogs.clear();
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }

    ProgramState& s() { return w->state(); }

    TempDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> w;
};

} // namespace kv::test
