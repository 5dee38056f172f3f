// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>
#include <string>

class QComboBox;
class QLabel;

namespace kv {

// fraPortSelect, "Data Port Setup": the port list Com1..Com255, the device the chosen
// port resolves to, and OK, which only hides the frame. Hidden until asked for.
class PortSelectFrame : public QGroupBox {
    Q_OBJECT

public:
    explicit PortSelectFrame(QWidget* parent = nullptr);

    // Shows `number` as the selection without counting as a choice.
    void selectPort(int number);
    [[nodiscard]] int selectedPort() const;
    void setDevice(const QString& device);
    [[nodiscard]] QString device() const;
    // Where the system's device attributes are read (the USB latency timer); tests point
    // it at a folder of their own.
    void setSysRoot(std::string root) { m_sysRoot = std::move(root); }

Q_SIGNALS:
    // The user picked an entry in the list (also when it is the one already shown).
    void portChosen(int number);

private:
    QComboBox* m_combo;
    QLabel* m_device;
    QLabel* m_latency;
    std::string m_sysRoot = "/sys";
};

} // namespace kv
