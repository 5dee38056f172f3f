// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/link_host.h"

#include <QGroupBox>

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
    void hide() override { QGroupBox::hide(); }

    [[nodiscard]] int value() const;

private:
    QProgressBar* m_bar;
};

} // namespace kv
