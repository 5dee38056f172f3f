// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ui/new_table_dialog.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

namespace kv {

NewTableDialog::NewTableDialog(NewTableSession& session, QWidget* parent)
    : QDialog(parent), m_session(session), m_slider(new QSlider(Qt::Vertical)), m_value(new QLabel),
      m_update(new QPushButton(QStringLiteral("Update"))),
      m_ok(new QPushButton(QStringLiteral("OK"))) {
    setWindowTitle(QStringLiteral("Kestrel Vanta - New Table"));
    setModal(true);

    // Position 0 is the top; Qt puts the minimum at the bottom unless inverted.
    m_slider->setRange(0, kSlopeMax);
    m_slider->setInvertedAppearance(true);
    m_slider->setInvertedControls(true);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(2);
    m_slider->setTickPosition(QSlider::TicksBothSides);
    m_slider->setTickInterval(1);
    m_slider->setMinimumHeight(160);
    m_slider->setValue(m_session.sliderPosition());
    m_value->setText(QString::fromStdString(m_session.slopeLabel()));
    m_value->setObjectName(QStringLiteral("lblAdvSlopeVal"));

    auto* frame = new QGroupBox;
    auto* frameLayout = new QHBoxLayout(frame);
    auto* caption = new QLabel(QStringLiteral("Advance Slope Switch Setting"));
    caption->setWordWrap(true);
    auto* labels = new QVBoxLayout;
    labels->addWidget(caption);
    labels->addWidget(m_value);
    labels->addStretch();
    frameLayout->addWidget(m_slider);
    frameLayout->addLayout(labels);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_update);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    m_ok->setDefault(true);
    // The arrow keys move the slider from the start; Enter is OK, Tab reaches Update.
    m_slider->setFocus(Qt::OtherFocusReason);

    connect(m_slider, &QSlider::valueChanged, this, &NewTableDialog::sliderMoved);
    connect(m_update, &QPushButton::clicked, this, [this] { m_session.CreateNewTable(); });
    connect(m_ok, &QPushButton::clicked, this, [this] {
        m_session.CreateNewTable();
        accept();
    });
}

void NewTableDialog::sliderMoved(int position) {
    m_session.setSliderPosition(position);
    m_value->setText(QString::fromStdString(m_session.slopeLabel()));
}

void runNewTable(Shell& shell, QWidget* parent) {
    NewTableSession session(shell);
    if (!session.start()) return;
    NewTableDialog dialog(session, parent);
    dialog.adjustSize();
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        dialog.move(area.x() + (area.width() - dialog.width()) / 2,
                    area.y() + (area.height() - dialog.height()) / 2);
    }
    dialog.exec();
}

} // namespace kv
