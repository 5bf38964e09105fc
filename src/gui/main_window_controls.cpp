// SPDX-License-Identifier: MIT
// The main window's controls, group by group, in the design's arrangement.
#include "eliding_label.h"
#include "levels_editor.h"
#include "main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QValidator>
#include <QWheelEvent>

namespace zfx::gui {

namespace {

const QString kVoltageHint =
    QStringLiteral("Change the supply voltage for your GFX card chip in different modes. "
                   "Available voltages vary from card and bios.");
const QString kClockHint =
    QStringLiteral("Change the clockspeeds of your card in different modes. Not all modes are "
                   "available for some cards.");
const QString kTimingHint =
    QStringLiteral("Change some timings of your GFX cards memory. Sorry currently not available "
                   "for 6800 class.");
const QString k3DHint =
    QStringLiteral("3D is the mode your card has when a game / program is performing 3D operations.");
const QString k2DHint = QStringLiteral("2D is the mode your card has in Windows.");
const QString kThrottleHint =
    QStringLiteral("Throttle is the mode some cards go into when they overheat or dont know "
                   "if to use 3D or 2D mode");
const QString kRateHint = QStringLiteral("Your effective Memory speed as displayed in your driver.");

// The edit boxes' rule, the model's: digits only, typed or pasted; a paste with anything else is
// refused.
class DigitsOnlyValidator final : public QValidator {
  public:
    explicit DigitsOnlyValidator(QObject* parent) : QValidator(parent) {}
    State validate(QString& input, int&) const override {
        return EditorModel::acceptsTypedText(input.toStdString()) ? Acceptable : Invalid;
    }
};

// A voltage list that the wheel turns only while it has the focus: over a list the mouse merely
// passes, the wheel goes to the window around it.
class FocusedWheelComboBox final : public QComboBox {
  public:
    explicit FocusedWheelComboBox(QWidget* parent) : QComboBox(parent) { setFocusPolicy(Qt::StrongFocus); }

  protected:
    void wheelEvent(QWheelEvent* event) override {
        if (hasFocus())
            QComboBox::wheelEvent(event);
        else
            event->ignore();
    }
};

// Room for a number of digits, as the design's boxes had.
int boxWidth(const QFontMetrics& metrics, int digits) {
    return metrics.horizontalAdvance(QString(digits, QLatin1Char('0'))) + 14;
}

QString objectNameOf(const ControlInfo& info) {
    return QString::fromLatin1(info.objectName.data(), static_cast<int>(info.objectName.size()));
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const QString& hint = {}) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(hint);
    return l;
}

// A group of the form with its controls in a grid, rows spacing apart (-1: the style's spacing);
// the rows below them take the room left.
QGridLayout* groupGrid(QWidget* form, const char* name, const QString& title, const QString& hint,
                       int spacing) {
    auto* g = new QGroupBox(title, form);
    g->setObjectName(QString::fromLatin1(name));
    g->setToolTip(hint);
    auto* grid = new QGridLayout(g);
    grid->setVerticalSpacing(spacing);
    grid->setRowStretch(4, 1);
    return grid;
}

// A line of the notices, bold.
QLabel* notice(QWidget* form, const char* name, const QString& caption, int pixels) {
    auto* l = label(form, name, caption);
    QFont f = l->font();
    f.setBold(true);
    f.setPixelSize(pixels);
    l->setFont(f);
    return l;
}

// The numbered lines under the first's "1.", the last apart and larger, centred under the groups.
QLayout* buildNotices(QWidget* form) {
    QLabel* first = notice(form, "Label5",
                           QStringLiteral("Remember:  1. Always keep a clean backup of your old BIOS."), 11);
    const int indent = QFontMetrics(first->font()).horizontalAdvance(QStringLiteral("Remember:  "));
    auto* notices = new QGridLayout;
    notices->setVerticalSpacing(4);
    notices->addWidget(first, 0, 0, 1, 2);
    notices->setColumnMinimumWidth(0, indent);
    notices->addWidget(
        notice(form, "Label9", QStringLiteral("2. Have a PCI card at hand to flash if things go wrong."), 11),
        1, 1);
    notices->addWidget(
        notice(form, "StaticText13", QStringLiteral("3. Probaly not every BIOS will be read correctly."), 11),
        2, 1);
    notices->setRowMinimumHeight(3, 12);
    notices->addWidget(
        notice(form, "Label10", QStringLiteral("You do all modifications at your own risk!"), 19), 4, 1);
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addLayout(notices);
    centred->addStretch(2);
    return centred;
}

} // namespace

void TarvEdit::buildControls() {
    // The design's arrangement, in layouts: the Info box across the top; below it the voltages,
    // the clock rates and the memory timings side by side; the notices under them. Sizes follow
    // the font and the scale factor, and the window may grow.
    auto* form = new QWidget(this);
    form->setObjectName(QStringLiteral("form"));
    setCentralWidget(form);
    auto* formLayout = new QVBoxLayout(form);
    formLayout->setContentsMargins(8, 8, 8, 8);
    formLayout->setSpacing(10);
    formLayout->addWidget(buildInfoGroup(form));
    auto* middle = new QHBoxLayout;
    middle->setSpacing(14);
    formLayout->addLayout(middle);
    middle->addWidget(buildVoltageGroup(form), 3);
    middle->addWidget(buildClockGroup(form), 4);
    middle->addLayout(buildTimingColumn(form), 3);
    for (const Control box : kCheckBoxes)
        connect(m_checks[controlInfo(box).index], &QCheckBox::clicked, this,
                [this, box](bool ticked) { act([&] { m_model.setChecked(box, ticked); }); });
    formLayout->addStretch(1);
    formLayout->addLayout(buildNotices(form));
    formLayout->addStretch(1);
}

QWidget* TarvEdit::buildInfoGroup(QWidget* form) {
    // The captions end where the values begin; the performance levels at the right, below the
    // file's line.
    QGridLayout* infoGrid = groupGrid(form, "GroupBox3", QStringLiteral("Info"), {}, 3);
    QWidget* infoArea = infoGrid->parentWidget();
    infoGrid->setHorizontalSpacing(6);
    const std::array<std::pair<const char*, QString>, 4> captions{
        {{"StaticText1", QStringLiteral("File :")},
         {"StaticText2", QStringLiteral("Device :")},
         {"StaticText3", QStringLiteral("BIOS Version :")},
         {"StaticText4", QStringLiteral("Vendor :")}}};
    for (int row = 0; row < 4; ++row)
        infoGrid->addWidget(label(infoArea, captions[static_cast<std::size_t>(row)].first,
                                  captions[static_cast<std::size_t>(row)].second),
                            row, 0, Qt::AlignRight | Qt::AlignTop);
    m_Pfad = new ElidingLabel(infoArea, 0, Qt::ElideMiddle);
    m_Pfad->setObjectName(QStringLiteral("Pfad"));
    infoGrid->addWidget(m_Pfad, 0, 1, 1, 2);
    m_devicename = label(infoArea, "devicename", QStringLiteral("--"));
    m_Biosversion = label(infoArea, "Biosversion", QStringLiteral("--"));
    m_manufactor = label(infoArea, "manufactor", QStringLiteral("--"));
    infoGrid->addWidget(m_devicename, 1, 1, Qt::AlignTop);
    infoGrid->addWidget(m_Biosversion, 2, 1, Qt::AlignTop);
    infoGrid->addWidget(m_manufactor, 3, 1, Qt::AlignTop);
    // The levels' heading, then their table: every value a level has, edited as the boxes are.
    m_levels = new QLabel(infoArea);
    m_levels->setObjectName(QStringLiteral("PerformanceLevels"));
    m_levels->setTextFormat(Qt::PlainText);
    QFont headingFont = m_levels->font();
    headingFont.setBold(true);
    m_levels->setFont(headingFont);
    infoGrid->addWidget(m_levels, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    m_levelsTable = new LevelsEditor(
        infoArea, [this](const LevelCell& cell, const std::string& text) { editLevel(cell, text); },
        [this] {
            // The user's moves only, not the table's own as it fills.
            if (focusWidget() != m_levelsTable && !m_levelsTable->isAncestorOf(focusWidget())) return;
            showPlaceOf(m_levelsTable);
            showEditState();
        });
    infoGrid->addWidget(m_levelsTable, 2, 2, 3, 1, Qt::AlignLeft | Qt::AlignTop);
    infoGrid->setColumnStretch(1, 1);
    infoGrid->setColumnStretch(2, 1);
    return infoArea;
}

QWidget* TarvEdit::buildVoltageGroup(QWidget* form) {
    QGridLayout* voltageGrid = groupGrid(form, "GroupBox1", QStringLiteral("VGPU"), kVoltageHint, 10);
    QWidget* voltages = voltageGrid->parentWidget();
    const std::array<std::tuple<Control, const char*, QString, QString>, 3> modes{{
        {Control::Voltage3D, "StaticText7", QStringLiteral("3D"), k3DHint},
        {Control::VoltageThrottle, "StaticText6", QStringLiteral("Thrtl."), kThrottleHint},
        {Control::Voltage2D, "StaticText5", QStringLiteral("2D"), k2DHint},
    }};
    for (int row = 0; row < 3; ++row) {
        const auto& [list, name, caption, hint] = modes[static_cast<std::size_t>(row)];
        voltageGrid->addWidget(label(voltages, name, caption, hint), row, 0, Qt::AlignRight);
        voltageGrid->addWidget(addVoltageList(voltages, list), row, 1);
    }
    addCheckBox(voltages, Control::GeneralMode)
        ->setToolTip(QStringLiteral("Generalmode allows soem cards to select more voltages."));
    voltageGrid->addWidget(m_checks[controlInfo(Control::GeneralMode).index], 3, 0, 1, 2);
    voltageGrid->setColumnStretch(2, 1);
    return voltages;
}

QWidget* TarvEdit::buildClockGroup(QWidget* form) {
    // A row per mode, core and memory with the memory's effective rate beside it.
    QGridLayout* clockGrid = groupGrid(form, "GroupBox2", QStringLiteral("Clockrates"), kClockHint, 8);
    QWidget* clocks = clockGrid->parentWidget();
    clockGrid->addWidget(label(clocks, "StaticText11", QStringLiteral("Core"), kClockHint), 0, 1,
                         Qt::AlignHCenter);
    clockGrid->addWidget(label(clocks, "StaticText12", QStringLiteral("Memory"), kClockHint), 0, 2,
                         Qt::AlignHCenter);
    const std::array<std::tuple<const char*, QString, QString, Control, Control, const char*>, 3> rows{{
        {"StaticText10", QStringLiteral("3D"), k3DHint, Control::Core3D, Control::Mem3D, "StaticText20"},
        {"StaticText9", QStringLiteral("Thrtl."), kThrottleHint + ".", Control::CoreThrottle,
         Control::MemThrottle, "StaticText21"},
        {"StaticText8", QStringLiteral("2D"), k2DHint, Control::Core2D, Control::Mem2D, "StaticText22"},
    }};
    for (int row = 0; row < 3; ++row) {
        const auto& [name, caption, hint, core, memory, rateName] = rows[static_cast<std::size_t>(row)];
        clockGrid->addWidget(label(clocks, name, caption, hint), row + 1, 0, Qt::AlignRight);
        // Edit1 never showed a hint of its own, not even its group's; Edit4 had the design's own.
        const QString coreHint = core == Control::Core2D ? QString() : kClockHint;
        const QString memoryHint =
            memory == Control::Mem2D ? QStringLiteral("This shows the memory speed your card has in 3D Mode.")
                                     : kClockHint;
        clockGrid->addWidget(addEdit(clocks, core, 5, coreHint), row + 1, 1);
        clockGrid->addWidget(addEdit(clocks, memory, 5, memoryHint), row + 1, 2);
        QLabel* rate = label(clocks, rateName, QStringLiteral("--"), kRateHint);
        rate->setMinimumWidth(QFontMetrics(font()).horizontalAdvance(QStringLiteral("(0000Mhz DDR)")));
        m_rates[static_cast<std::size_t>(row)] = rate;
        clockGrid->addWidget(rate, row + 1, 3);
    }
    clockGrid->setColumnStretch(3, 1);
    return clocks;
}

QLayout* TarvEdit::buildTimingColumn(QWidget* form) {
    // The memory timings, with the box that allows editing them above.
    auto* timingColumn = new QVBoxLayout;
    timingColumn->setSpacing(4);
    timingColumn->addWidget(addCheckBox(form, Control::TimingEdit), 0, Qt::AlignLeft);
    m_checks[controlInfo(Control::TimingEdit).index]->setContentsMargins(12, 0, 0, 0);
    QGridLayout* timingGrid = groupGrid(form, "GroupBox4", QStringLiteral("Memory timings"), kTimingHint, -1);
    QWidget* timings = timingGrid->parentWidget();
    timingGrid->addWidget(label(timings, "StaticText14", QStringLiteral("Timing A:"), kTimingHint), 0, 0, 1,
                          2, Qt::AlignRight);
    timingGrid->addWidget(addEdit(timings, Control::TimingA, 3, kTimingHint), 0, 2);
    timingGrid->setRowMinimumHeight(1, 8);
    for (int i = 0; i < 5; ++i) {
        const Control box = kTimingBoxes[static_cast<std::size_t>(i) + 1];
        const QString letter = QString::fromLatin1(controlInfo(box).jsonKey.data(), 1);
        timingGrid->addWidget(
            label(timings, ("StaticText" + std::to_string(15 + i)).c_str(), letter, kTimingHint), 2, i,
            Qt::AlignHCenter);
        timingGrid->addWidget(addEdit(timings, box, 3, kTimingHint), 3, i);
    }
    timingColumn->addWidget(timings, 1);
    return timingColumn;
}

QLineEdit* TarvEdit::addEdit(QWidget* parent, Control box, int digits, const QString& hint) {
    const ControlInfo& info = controlInfo(box);
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectNameOf(info));
    e->setValidator(new DigitsOnlyValidator(e));
    e->setProperty("designHint", hint);
    e->setFixedWidth(boxWidth(QFontMetrics(font()), digits));
    m_edits[info.index] = e;
    connect(e, &QLineEdit::textEdited, this,
            [this, box](const QString& text) { act([&] { m_model.typeText(box, text.toStdString()); }); });
    // Key releases of the memory boxes, focus and hover of every box for the status bar.
    e->installEventFilter(this);
    return e;
}

QComboBox* TarvEdit::addVoltageList(QWidget* parent, Control list) {
    const ControlInfo& info = controlInfo(list);
    auto* c = new FocusedWheelComboBox(parent);
    c->setObjectName(objectNameOf(info));
    c->setMinimumWidth(boxWidth(QFontMetrics(font()), 4) + 20);
    m_combos[info.index] = c;
    c->installEventFilter(this);
    connect(c, &QComboBox::activated, this,
            [this, list](int position) { act([&] { m_model.selectEntry(list, position); }); });
    return c;
}

QCheckBox* TarvEdit::addCheckBox(QWidget* parent, Control box) {
    const ControlInfo& info = controlInfo(box);
    auto* check =
        new QCheckBox(QString::fromLatin1(info.label.data(), static_cast<int>(info.label.size())), parent);
    check->setObjectName(objectNameOf(info));
    m_checks[info.index] = check;
    return check;
}

void TarvEdit::setTabOrderFollowingTheLayout() {
    std::vector<QWidget*> order{m_combos[controlInfo(Control::Voltage3D).index],
                                m_combos[controlInfo(Control::VoltageThrottle).index],
                                m_combos[controlInfo(Control::Voltage2D).index],
                                m_checks[controlInfo(Control::GeneralMode).index]};
    for (const Control box : {Control::Core3D, Control::Mem3D, Control::CoreThrottle, Control::MemThrottle,
                              Control::Core2D, Control::Mem2D})
        order.push_back(editFor(box));
    order.push_back(m_checks[controlInfo(Control::TimingEdit).index]);
    for (const Control box : kTimingBoxes)
        order.push_back(editFor(box));
    // The levels' table last: the window still opens with the focus in the 3D voltage list.
    order.push_back(m_levelsTable);
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

} // namespace zfx::gui
