// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ui/module_params_dialog.h"

#include "base/step_runner.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kv {
namespace {

constexpr double kTwipsPerInch = 1440.0;

// A check box whose caption wraps onto a second line within its width, as the two long
// captions of the options frame need. The whole box, caption included, takes clicks.
class WrapCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        p.drawControl(QStyle::CE_CheckBox, opt);
        const QRect area = style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, this);
        p.drawItemText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(),
                       isEnabled(), caption, QPalette::WindowText);
    }
    [[nodiscard]] bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

std::size_t at(ParamSlider s) {
    return static_cast<std::size_t>(s);
}

} // namespace

ModuleParamsDialog::ModuleParamsDialog(ProgramState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmModParams"));
    setWindowTitle(QStringLiteral("Kestrel Vanta - Edit Module Parameters"));
    setModal(true);
    setFixedSize(twips({0, 0, 7836, 7272}).size());

    auto* options = new QGroupBox(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("fraOptions"));
    options->setGeometry(twips({120, 120, 5295, 3132}));
    m_optEEPROM = new QRadioButton(QStringLiteral("EEPROM Advance Table"), options);
    m_optEEPROM->setObjectName(QStringLiteral("optEEPROMAdvTable"));
    m_optEEPROM->setGeometry(twips({240, 360, 2775, 495}));
    m_optFLASH = new QRadioButton(QStringLiteral("FLASH Advance Tables"), options);
    m_optFLASH->setObjectName(QStringLiteral("optFLASHAdvTable"));
    m_optFLASH->setGeometry(twips({240, 840, 2775, 495}));
    m_chkFixed = new WrapCheckBox(QStringLiteral("Fixed RPM Limit"), options);
    m_chkFixed->setObjectName(QStringLiteral("chkFixedRPMLimit"));
    m_chkFixed->setGeometry(twips({240, 1320, 2175, 495}));
    m_chkRetard =
        new WrapCheckBox(QStringLiteral("Alternate Use of VOES Input for Retard"), options);
    m_chkRetard->setObjectName(QStringLiteral("chkRetardEnable"));
    m_chkRetard->setGeometry(twips({240, 1800, 2535, 615}));
    m_chkKick = new WrapCheckBox(QStringLiteral("Kick Start Mode (Rev 7.0+ Units Only)"), options);
    m_chkKick->setObjectName(QStringLiteral("chkKickStart"));
    m_chkKick->setGeometry(twips({240, 2400, 2892, 615}));

    m_sliders[at(ParamSlider::CrankRevs)] =
        addSlider(ParamSlider::CrankRevs, options, "CrankRevs", "Cranking Revs",
                  {3240, 480, 1695, 1935}, {360, 360, 375, 375}, {360, 840, 495, 975});
    m_sliders[at(ParamSlider::RearOffset)] =
        addSlider(ParamSlider::RearOffset, this, "RearOffset", "Rear Cyl Offset",
                  {120, 3480, 1815, 2535}, {360, 360, 375, 375}, {360, 840, 495, 1575});
    m_sliders[at(ParamSlider::Retard)] =
        addSlider(ParamSlider::Retard, this, "Retard", "Retard", {2280, 3480, 1815, 2535},
                  {360, 360, 375, 375}, {360, 840, 495, 1575});
    m_sliders[at(ParamSlider::RPMLimit)] =
        addSlider(ParamSlider::RPMLimit, this, "RPMLimit", "RPM Limit", {5760, 120, 1455, 6015},
                  {240, 360, 855, 375}, {480, 840, 495, 5055});

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(twips({360, 6240, 1095, 495}));
    ok->setDefault(true);

    Form_Load();

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_optEEPROM, &QRadioButton::toggled, this, [this](bool on) {
        if (on) handle([&] { chooseEEPROMTable(m_state.params); });
    });
    connect(m_optFLASH, &QRadioButton::toggled, this, [this](bool on) {
        if (on) handle([&] { chooseFLASHTables(m_state.params, m_dialogs); });
    });
    connect(m_chkFixed, &QCheckBox::toggled, this, [this](bool on) {
        handle([&] {
            setFixedRPMLimit(m_state.params, on);
            m_sliders[at(ParamSlider::RPMLimit)].frame->setVisible(on);
            if (!on) placeSlider(ParamSlider::RPMLimit, 99);
            showValue(ParamSlider::RPMLimit);
        });
    });
    connect(m_chkRetard, &QCheckBox::toggled, this, [this](bool on) {
        handle([&] {
            setRetardEnable(m_state.params, on);
            m_sliders[at(ParamSlider::Retard)].frame->setVisible(on);
            if (!on) placeSlider(ParamSlider::Retard, 10);
            showValue(ParamSlider::Retard);
        });
    });
    connect(m_chkKick, &QCheckBox::toggled, this, [this](bool on) {
        handle([&] {
            setKickStart(m_state.params, on);
            m_sliders[at(ParamSlider::CrankRevs)].frame->setVisible(!on);
        });
    });
}

QRect ModuleParamsDialog::twips(std::array<int, 4> r) const {
    const double x = logicalDpiX() / kTwipsPerInch, y = logicalDpiY() / kTwipsPerInch;
    auto px = [](int t, double scale) { return static_cast<int>(t * scale + 0.5); };
    return {px(r[0], x), px(r[1], y), px(r[2], x), px(r[3], y)};
}

ModuleParamsDialog::Slider ModuleParamsDialog::addSlider(ParamSlider which, QWidget* in,
                                                         const char* name, const char* caption,
                                                         std::array<int, 4> frame,
                                                         std::array<int, 4> label,
                                                         std::array<int, 4> slider) {
    Slider s;
    s.frame = new QGroupBox(QString::fromLatin1(caption), in);
    s.frame->setObjectName(QStringLiteral("fra") + QLatin1String(name));
    s.frame->setGeometry(twips(frame));
    s.label = new QLabel(QStringLiteral("0"), s.frame);
    s.label->setObjectName(QStringLiteral("lbl") + QLatin1String(name) + QStringLiteral("Val"));
    s.label->setAlignment(Qt::AlignCenter);
    s.label->setGeometry(twips(label));
    s.slider = new QSlider(Qt::Vertical, s.frame);
    s.slider->setObjectName(QStringLiteral("sld") + QLatin1String(name));
    s.slider->setGeometry(twips(slider));
    const SliderRange range = sliderRange(which);
    s.slider->setRange(range.min, range.max);
    s.slider->setSingleStep(range.smallStep);
    s.slider->setPageStep(range.largeStep);
    // The lowest position is at the top, and the Up key moves the thumb up.
    s.slider->setInvertedAppearance(true);
    s.slider->setInvertedControls(true);
    s.slider->setTickPosition(QSlider::TicksBothSides);
    s.slider->setTickInterval(range.largeStep);
    connect(s.slider, &QSlider::valueChanged, this,
            [this, which](int p) { handle([&] { sliderScrolled(which, p); }); });
    return s;
}

template <class F> void ModuleParamsDialog::handle(F&& body) {
    runStep(m_dialogs, std::forward<F>(body));
}

void ModuleParamsDialog::Form_Load() {
    if (const QScreen* screen =
            parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    const ParamsView v = openModuleParameters(m_state);
    const QSignalBlocker b1(m_optEEPROM), b2(m_optFLASH), b3(m_chkFixed), b4(m_chkRetard),
        b5(m_chkKick);
    m_sliders[at(ParamSlider::RearOffset)].frame->setVisible(v.rearOffsetShown);
    (v.eepromChosen ? m_optEEPROM : m_optFLASH)->setChecked(true);
    m_chkFixed->setChecked(v.fixedLimitTicked);
    m_sliders[at(ParamSlider::RPMLimit)].frame->setVisible(v.fixedLimitTicked);
    placeSlider(ParamSlider::RPMLimit, v.rpmLimitPosition);
    m_chkKick->setChecked(v.kickStartTicked);
    m_chkRetard->setChecked(v.retardTicked);
    m_sliders[at(ParamSlider::Retard)].frame->setVisible(v.retardTicked);
    placeSlider(ParamSlider::Retard, v.retardPosition);
    placeSlider(ParamSlider::RearOffset, v.rearOffsetPosition);
    placeSlider(ParamSlider::CrankRevs, v.crankRevsPosition);
    m_sliders[at(ParamSlider::CrankRevs)].frame->setVisible(!v.kickStartTicked);
    for (ParamSlider s : {ParamSlider::Retard, ParamSlider::RPMLimit, ParamSlider::RearOffset,
                          ParamSlider::CrankRevs})
        showValue(s);
}

void ModuleParamsDialog::placeSlider(ParamSlider which, int position) {
    // A value outside the slider's range shows the thumb at the nearest end, and the
    // parameter keeps its value until the user moves the thumb.
    QSlider* slider = m_sliders[at(which)].slider;
    const QSignalBlocker block(slider);
    slider->setValue(position);
}

void ModuleParamsDialog::sliderScrolled(ParamSlider which, int position) {
    parameterOf(m_state.params, which) = static_cast<std::int16_t>(parameterAt(which, position));
    showValue(which);
}

void ModuleParamsDialog::showValue(ParamSlider which) {
    m_sliders[at(which)].label->setText(QString::number(parameterOf(m_state.params, which)));
}

void runModuleParameters(Shell& shell, QWidget* parent) {
    ModuleParamsDialog dialog(shell.state(), shell.dialogs(), parent);
    dialog.exec();
}

} // namespace kv
