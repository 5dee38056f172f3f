// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/branding.h"

#include <QDialog>

class QLabel;
class QTimer;

namespace kv {

class Dialogs;

// The splash: the maker's branding, read from the branding file beside the program,
// shown until its timer unloads it 4000 ms after it is shown.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kUnloadMs = 4000;

    // Reads the branding into `branding` and dresses the window; errors of the load
    // go to the error prompt of `dialogs`.
    SplashWindow(const QString& programFolder, Dialogs& dialogs, Branding& branding,
                 QWidget* parent = nullptr);

    [[nodiscard]] QLabel* companyLabel() const { return m_company; }
    [[nodiscard]] QLabel* logo() const { return m_logo; }
    [[nodiscard]] QTimer* unloadTimer() const { return m_timer; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void load(const QString& programFolder, Dialogs& dialogs, Branding& branding);

    QLabel* m_company = nullptr;
    QLabel* m_logo = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace kv
