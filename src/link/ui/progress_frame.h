// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_host.h"

#include <QGroupBox>
#include <QTimer>

class QProgressBar;

namespace kv {

// fraProgress1: the frame that shows a block transfer, hidden between transfers.
class ProgressFrame : public QGroupBox, public ProgressDisplay {
    Q_OBJECT

public:
    explicit ProgressFrame(QWidget* parent = nullptr);

    void setCaption(const std::string& caption) override;
    void setValue(int percent) override;
    void showNow() override;
    void hide() override;

    [[nodiscard]] int value() const;

private:
    void drawBar();

    QProgressBar* m_bar;
    // The bar takes each value at once but is drawn a millisecond later, in the pause
    // that follows every byte: drawn at once it would hold up the next exchange.
    QTimer m_drawTimer;
};

} // namespace kv
