// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ui/serial_devices.h"

#include <QGroupBox>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

// fraPortSelect, "Data Port Setup": the port list Com1..Com255; the device list, from
// which a device is chosen for the selected port (the system's standard device for it,
// the devices the system reports, or a typed path); "Find module"; the device the chosen
// port resolves to; and OK, which only hides the frame. Hidden until asked for.
//
// An opaque panel with a border, floating over the chart: nothing beneath shows or
// takes a click through it. It only shows and reports; the LinkController acts.
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

    // Fills the device list: first the port's standard device, then `devices`, then the
    // entry to type a path. `current` (empty: the standard one) is selected.
    void setDevices(const std::vector<SerialDevice>& devices, const QString& standardDevice,
                    const QString& current);
    // The paths of the listed devices, in list order.
    [[nodiscard]] QStringList listedDevices() const;
    // While a search runs, "Find module" is unavailable and the status says what is asked.
    void setSearching(bool searching);
    void setStatus(const QString& text);

Q_SIGNALS:
    // The user picked an entry in the port list (also when it is the one already shown).
    void portChosen(int number);
    // The user picked or typed a device for the selected port; empty: its standard one.
    void deviceChosen(const QString& path);
    void findRequested();
    // The frame was shown: time to list the devices afresh.
    void opened();

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    void deviceActivated(int index);

    QComboBox* m_combo;
    QComboBox* m_devices;
    QLineEdit* m_path;
    QPushButton* m_find;
    QLabel* m_device;
    QLabel* m_status;
    QLabel* m_latency;
    std::string m_sysRoot = "/sys";
};

} // namespace kv
