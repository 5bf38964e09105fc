// SPDX-License-Identifier: MIT
#include "main_window.h"

#include "dialogs.h"
#include "inspection.h"
#include "text/number_text.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace zfx::gui {

// A status-bar label that never widens the window: a text longer than its room ends in "...";
// the whole of it is in the tool tip. wanted is the width it asks for (0: whatever is left).
class ElidingLabel final : public QLabel {
  public:
    ElidingLabel(QWidget* parent, int wanted) : QLabel(parent), m_wanted(wanted) {}
    void setWanted(int wanted) {
        m_wanted = wanted;
        updateGeometry();
    }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override {
        const int natural = QLabel::sizeHint().width();
        return {m_wanted == 0 ? 0 : std::min(natural, m_wanted), QLabel::sizeHint().height()};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect room = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
        style()->drawItemText(&painter, room, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), shown,
                              foregroundRole());
    }

  private:
    int m_wanted;
};

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

// The project's icon, rendered from its SVG at build time.
QIcon projectIcon() {
    QIcon icon;
    for (const char* size : {"64x64", "256x256"})
        icon.addFile(QStringLiteral(":/icons/%1/apps/org.zorvane.ZorvaneFX.png").arg(QLatin1String(size)));
    return icon;
}

constexpr int kStructureLineWidth = 280;
constexpr int kStructureWarningWidth = 430;

// A file a drop may open: a local .rom or .bin file.
QString droppedBiosFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return {};
    const QString path = mime->urls().constFirst().toLocalFile();
    const QString lower = path.toLower();
    return lower.endsWith(QLatin1String(".rom")) || lower.endsWith(QLatin1String(".bin")) ? path : QString();
}

} // namespace

TarvEdit::TarvEdit(DesktopServices& services) : m_services(services), m_model(*this) {
    setObjectName(QStringLiteral("TarvEdit"));
    m_model.setDecimalSeparator(QLocale().decimalPoint().toStdString());
    QFont referenceFont = font();
    referenceFont.setPixelSize(11);
    setFont(referenceFont);
    buildMenus();
    buildControls();
    buildStatusBar();
    setTabOrderFollowingTheLayout();
    setWindowIcon(projectIcon());
    setAcceptDrops(true);
    m_inspection = new Inspection(*this);
    syncFromModel();
    fixSizeAndPlace();
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
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TarvEdit::fixSizeAndPlace() {
    // Title, menu, minimise and close: a window of fixed size has nothing to maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    adjustSize();
    setFixedSize(sizeHint());
    // The design's place, moved as little as needed to lie fully on the screen (or, on a screen
    // smaller than the window, to its top-left corner).
    const QRect screen = this->screen()->availableGeometry();
    const QPoint wanted(304, 232);
    const int x = std::max(screen.left(), std::min(wanted.x(), screen.right() + 1 - width()));
    const int y = std::max(screen.top(), std::min(wanted.y(), screen.bottom() + 1 - height()));
    move(x, y);
}

TarvEdit::~TarvEdit() = default;

void TarvEdit::buildMenus() {
    // Mnemonics and the platform's standard keys; the captions read as the design gives them.
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("openfile"));
    QAction* open = file->addAction(QStringLiteral("&Open BIOS..."), this,
                                    [this] { act([this] { m_model.OpenBIOS1Click(); }); });
    open->setObjectName(QStringLiteral("OpenBIOS1"));
    open->setShortcut(QKeySequence::Open);
    QAction* save = file->addAction(QStringLiteral("&Save BIOS..."), this,
                                    [this] { act([this] { (void)m_model.SaveBIOS1Click(); }); });
    save->setObjectName(QStringLiteral("SaveBIOS1"));
    save->setShortcut(QKeySequence::Save);
    QAction* exit =
        file->addAction(QStringLiteral("E&xit"), this, [this] { act([this] { m_model.Exit1Click(); }); });
    exit->setObjectName(QStringLiteral("Exit1"));
    exit->setShortcut(QKeySequence::Quit);
    QMenu* info = menuBar()->addMenu(QStringLiteral("&Info"));
    info->setObjectName(QStringLiteral("Info1"));
    QAction* howTo = info->addAction(QStringLiteral("&How do I ?"), this, [this] { m_model.HowdoI1Click(); });
    howTo->setObjectName(QStringLiteral("HowdoI1"));
    QAction* about = info->addAction(QStringLiteral("&About"), this, [this] { m_model.About1Click(); });
    about->setObjectName(QStringLiteral("About1"));
    QAction* checks = info->addAction(QStringLiteral("&Checks..."), this, [this] { showChecks(); });
    checks->setObjectName(QStringLiteral("Checks1"));
}

void TarvEdit::showChecks() {
    if (!m_checksWindow) {
        m_checksWindow = new QDialog(this);
        m_checksWindow->setObjectName(QStringLiteral("ChecksWindow"));
        m_checksWindow->setWindowTitle(QStringLiteral("Image and structure checks"));
        auto* layout = new QVBoxLayout(m_checksWindow);
        m_checksText = new QPlainTextEdit(m_checksWindow);
        m_checksText->setObjectName(QStringLiteral("ChecksText"));
        m_checksText->setReadOnly(true);
        m_checksText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        layout->addWidget(m_checksText);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_checksWindow);
        connect(buttons, &QDialogButtonBox::rejected, m_checksWindow, &QDialog::hide);
        layout->addWidget(buttons);
        m_checksWindow->resize(640, 420);
    }
    const std::string report = m_model.checksReport();
    m_checksText->setPlainText(report.empty() ? QStringLiteral("No image is open.")
                                              : QString::fromStdString(report));
    m_checksWindow->show();
    m_checksWindow->raise();
    m_checksWindow->activateWindow();
}

void TarvEdit::buildControls() {
    auto* form = new QWidget(this);
    form->setObjectName(QStringLiteral("form"));
    form->setFixedSize(710, 490);
    setCentralWidget(form);

    auto place = [](QWidget* widget, const char* name, int x, int y, int w = 0, int h = 0) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->move(x, y);
        if (w > 0)
            widget->resize(QSize(w, h).expandedTo(widget->sizeHint()));
        else
            widget->adjustSize();
    };
    auto label = [&](QWidget* parent, const char* name, int x, int y, const QString& caption,
                     const QString& hint = {}) {
        auto* l = new QLabel(caption, parent);
        l->setToolTip(hint);
        place(l, name, x, y);
        return l;
    };
    auto group = [&](const char* name, QRect r, const QString& title, const QString& hint) {
        auto* g = new QGroupBox(title, form);
        g->setToolTip(hint);
        place(g, name, r.x(), r.y(), r.width(), r.height());
        g->resize(r.size());
        return g;
    };
    auto edit = [&](QWidget* parent, Control box, int x, int y, int w, const QString& hint) {
        const ControlInfo& info = controlInfo(box);
        auto* e = new QLineEdit(parent);
        e->setValidator(new DigitsOnlyValidator(e));
        e->setToolTip(hint);
        place(e, std::string(info.objectName).c_str(), x, y);
        e->resize(w, 21);
        m_edits[info.index] = e;
        connect(e, &QLineEdit::textEdited, this, [this, box](const QString& text) {
            act([&] { m_model.typeText(box, text.toStdString()); });
        });
        // Key releases of the memory boxes, focus and hover of every box for the status bar.
        e->installEventFilter(this);
        return e;
    };

    // Info area
    auto* infoArea = group("GroupBox3", QRect(8, 16, 689, 121), QStringLiteral("Info"), {});
    infoArea->lower();
    // The captions end where the values begin, whatever the width of the platform's font.
    auto infoCaption = [&](const char* name, int y, const QString& text) {
        QLabel* l = label(form, name, 0, y, text);
        l->move(std::max(8, 89 - l->width()), y);
    };
    infoCaption("StaticText1", 41, QStringLiteral("File :"));
    infoCaption("StaticText2", 60, QStringLiteral("Device :"));
    infoCaption("StaticText3", 80, QStringLiteral("BIOS Version :"));
    infoCaption("StaticText4", 100, QStringLiteral("Vendor :"));
    m_Pfad = label(form, "Pfad", 91, 42, QStringLiteral("--"));
    m_devicename = label(form, "devicename", 91, 60, QStringLiteral("--"));
    m_Biosversion = label(form, "Biosversion", 91, 80, QStringLiteral("--"));
    m_manufactor = label(form, "manufactor", 91, 100, QStringLiteral("--"));
    // The right of the Info box shows the performance levels, below the file's line.
    m_levels = new QLabel(form);
    m_levels->setObjectName(QStringLiteral("PerformanceLevels"));
    m_levels->setTextFormat(Qt::RichText); // a table of numbers the program writes, no text of the image
    m_levels->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont levelsFont = m_levels->font();
    levelsFont.setPixelSize(11);
    m_levels->setFont(levelsFont);
    m_levels->setGeometry(392, 60, 298, 72);

    // Voltages
    auto* voltages = group("GroupBox1", QRect(8, 160, 153, 169), QStringLiteral("VGPU"), kVoltageHint);
    voltages->lower();
    auto checkBox = [&](QWidget* parent, Control box, int x, int y, int w, int h) {
        const ControlInfo& info = controlInfo(box);
        auto* check = new QCheckBox(
            QString::fromLatin1(info.label.data(), static_cast<int>(info.label.size())), parent);
        place(check, std::string(info.objectName).c_str(), x, y, w, h);
        m_checks[info.index] = check;
        return check;
    };
    checkBox(voltages, Control::GeneralMode, 24, 136, 105, 17)
        ->setToolTip(QStringLiteral("Generalmode allows soem cards to select more voltages."));
    label(form, "StaticText7", 48, 196, QStringLiteral("3D"), k3DHint);
    label(form, "StaticText6", 40, 228, QStringLiteral("Thrtl."), kThrottleHint);
    label(form, "StaticText5", 48, 260, QStringLiteral("2D"), k2DHint);
    const std::array<std::pair<Control, int>, 3> combos{
        {{Control::Voltage2D, 256}, {Control::VoltageThrottle, 224}, {Control::Voltage3D, 192}}};
    for (const auto& [list, y] : combos) {
        const ControlInfo& info = controlInfo(list);
        auto* c = new QComboBox(form);
        place(c, std::string(info.objectName).c_str(), 72, y);
        c->resize(QSize(57, 21).expandedTo(QSize(64, c->sizeHint().height())));
        m_combos[info.index] = c;
        c->installEventFilter(this);
        connect(c, &QComboBox::activated, this,
                [this, list = list](int position) { act([&] { m_model.selectEntry(list, position); }); });
    }

    // Clock rates
    auto* clocks = group("GroupBox2", QRect(184, 160, 289, 177), QStringLiteral("Clockrates"), kClockHint);
    label(clocks, "StaticText11", 64, 40, QStringLiteral("Core"), kClockHint);
    label(clocks, "StaticText12", 164, 40, QStringLiteral("Memory"), kClockHint);
    label(clocks, "StaticText10", 24, 70, QStringLiteral("3D"), k3DHint);
    edit(clocks, Control::Core3D, 56, 64, 49, kClockHint);
    edit(clocks, Control::Mem3D, 128, 64, 49, kClockHint);
    m_rates[0] = label(clocks, "StaticText20", 192, 66, QStringLiteral("--"), kRateHint);
    label(clocks, "StaticText9", 16, 100, QStringLiteral("Thrtl."), kThrottleHint + ".");
    edit(clocks, Control::CoreThrottle, 56, 96, 49, kClockHint);
    edit(clocks, Control::MemThrottle, 128, 96, 49, kClockHint);
    m_rates[1] = label(clocks, "StaticText21", 192, 100, QStringLiteral("--"), kRateHint);
    label(clocks, "StaticText8", 24, 130, QStringLiteral("2D"), k2DHint);
    // Edit1 never shows a hint, not even its group's.
    QLineEdit* core2d = edit(clocks, Control::Core2D, 56, 128, 49, {});
    core2d->setProperty("suppressHint", true);
    edit(clocks, Control::Mem2D, 128, 128, 49,
         QStringLiteral("This shows the memory speed your card has in 3D Mode."));
    m_rates[2] = label(clocks, "StaticText22", 192, 132, QStringLiteral("--"), kRateHint);

    // Memory timings
    checkBox(form, Control::TimingEdit, 512, 168, 129, 17);
    auto* timings =
        group("GroupBox4", QRect(496, 192, 201, 145), QStringLiteral("Memory timings"), kTimingHint);
    label(timings, "StaticText14", 16, 24, QStringLiteral("Timing A:"), kTimingHint);
    edit(timings, Control::TimingA, 72, 20, 25, kTimingHint);
    for (int i = 0; i < 5; ++i) {
        const Control box = kTimingBoxes[static_cast<std::size_t>(i) + 1];
        const QString letter = QString::fromLatin1(controlInfo(box).jsonKey.data(), 1);
        label(timings, ("StaticText" + std::to_string(15 + i)).c_str(), 40 + 32 * i, 64, letter, kTimingHint);
        edit(timings, box, 32 + 32 * i, 88, 25, kTimingHint);
    }
    for (const Control box : kCheckBoxes)
        connect(m_checks[controlInfo(box).index], &QCheckBox::clicked, this,
                [this, box](bool ticked) { act([&] { m_model.setChecked(box, ticked); }); });

    // Notices
    auto notice = [&](const char* name, int x, int y, const QString& caption, int pixels) {
        auto* l = new QLabel(caption, form);
        QFont f = l->font();
        f.setBold(true);
        f.setPixelSize(pixels);
        l->setFont(f);
        place(l, name, x, y);
    };
    notice("Label5", 120, 368, QStringLiteral("Remember:  1. Always keep a clean backup of your old BIOS."),
           11);
    notice("Label9", 192, 387, QStringLiteral("2. Have a PCI card at hand to flash if things go wrong."), 11);
    notice("StaticText13", 192, 408, QStringLiteral("3. Probaly not every BIOS will be read correctly."), 11);
    notice("Label10", 192, 448, QStringLiteral("You do all modifications at your own risk!"), 19);
}

void TarvEdit::buildStatusBar() {
    // The bar adds its height below the form; nothing above it moves.
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_checkLine = new ElidingLabel(bar, 0);
    m_checkLine->setObjectName(QStringLiteral("ImageCheck"));
    bar->addWidget(m_checkLine, 1);
    // Two fifths of the bar, three fifths for a warning: the image check keeps the rest.
    m_structureLine = new ElidingLabel(bar, kStructureLineWidth);
    m_structureLine->setObjectName(QStringLiteral("StructureCheck"));
    bar->addWidget(m_structureLine);
    // A click on either line opens the window with every check.
    for (QLabel* line : {static_cast<QLabel*>(m_checkLine), static_cast<QLabel*>(m_structureLine)}) {
        line->installEventFilter(this);
        line->setCursor(Qt::PointingHandCursor);
    }
    setStatusBar(bar);
}

std::optional<Control> TarvEdit::controlOf(const QObject* widget) const {
    for (const Control box : kEditBoxes)
        if (widget == editFor(box)) return box;
    for (const Control list : kVoltageLists)
        if (widget == m_combos[controlInfo(list).index]) return list;
    return std::nullopt;
}

void TarvEdit::showPlaceOf(const QObject* widget) {
    const auto control = widget ? controlOf(widget) : std::nullopt;
    const std::string place = control ? m_model.placeOf(*control) : std::string();
    if (place.empty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(QString::fromStdString(place));
}

void TarvEdit::syncFromModel() {
    const FormState& f = m_model.form();
    const ImageCheck& check = m_model.imageCheck();
    const bool opened = !m_model.analysis().image.empty();
    m_checkLine->setText(opened ? QString::fromStdString(check.line()) : QStringLiteral("No image open"));
    m_checkLine->setToolTip(opened ? QString::fromStdString(check.line() + "\n\n" + check.details())
                                   : QString());
    QFont lineFont = m_checkLine->font();
    lineFont.setBold(opened && !check.passed());
    m_checkLine->setFont(lineFont);
    const StructureCheck& structure = m_model.structureCheck();
    m_structureLine->setText(opened ? QString::fromStdString(structure.line()) : QString());
    m_structureLine->setToolTip(
        opened ? QString::fromStdString(structure.line() + "\n\n" + structure.details()) : QString());
    QFont structureFont = m_structureLine->font();
    structureFont.setBold(opened && structure.contradicted());
    m_structureLine->setFont(structureFont);
    m_structureLine->setWanted(opened && structure.contradicted() ? kStructureWarningWidth
                                                                  : kStructureLineWidth);
    showLevels(m_model.levelsPreview());
    // The IDs a flash tool compares, as the PCI world writes them.
    const QString ids = opened ? QStringLiteral("PCI IDs: ") +
                                     QString::fromStdString(pciIdsText(m_model.analysis().data.identity))
                               : QString();
    m_devicename->setToolTip(ids);
    m_manufactor->setToolTip(ids);
    // A field's place changes with the image: the bar shows the focused field's anew.
    if (!statusBar()->currentMessage().isEmpty()) showPlaceOf(m_placeShownFor);
    setWindowTitle(QString::fromStdString(m_model.windowTitle()));
    if (m_inspection) m_inspection->refresh();
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        const QString text = QString::fromStdString(f.edits[i].text);
        if (m_edits[i]->text() != text) m_edits[i]->setText(text);
        m_edits[i]->setEnabled(f.edits[i].enabled);
    }
    for (std::size_t i = 0; i < m_combos.size(); ++i) {
        QComboBox* combo = m_combos[i];
        const ComboBox& list = f.combos[i];
        QStringList entries;
        for (const auto& entry : list.entries)
            entries << QString::fromStdString(entry);
        QStringList shown;
        for (int k = 0; k < combo->count(); ++k)
            shown << combo->itemText(k);
        const QSignalBlocker quiet(combo);
        if (shown != entries) {
            combo->clear();
            combo->addItems(entries);
        }
        combo->setCurrentIndex(list.selected);
        combo->setEnabled(list.enabled);
    }
    for (std::size_t i = 0; i < m_checks.size(); ++i) {
        const QSignalBlocker quiet(m_checks[i]);
        m_checks[i]->setChecked(f.checks[i].ticked);
        m_checks[i]->setEnabled(f.checks[i].enabled);
    }
    const std::array<std::pair<QLabel*, const std::string*>, 7> captions{{{m_Pfad, &f.Pfad},
                                                                          {m_devicename, &f.devicename},
                                                                          {m_Biosversion, &f.Biosversion},
                                                                          {m_manufactor, &f.manufactor},
                                                                          {m_rates[0], &f.StaticText20},
                                                                          {m_rates[1], &f.StaticText21},
                                                                          {m_rates[2], &f.StaticText22}}};
    for (const auto& [label, caption] : captions) {
        // Texts from the image (the BIOS version) and the file's name show control characters as
        // visible escapes, and never as rich text.
        label->setTextFormat(Qt::PlainText);
        const QString text = QString::fromStdString(visibleText(*caption));
        if (label->text() != text) {
            label->setText(text);
            label->adjustSize();
        }
    }
}

void TarvEdit::showLevels(const EditorModel::LevelsPreview& preview) {
    if (preview.levels.empty()) {
        m_levels->clear();
        m_levels->setToolTip({});
        return;
    }
    auto cell = [](const std::string& text) {
        return QStringLiteral("<td style=\"padding-right:12px\">%1</td>")
            .arg(QString::fromStdString(text).toHtmlEscaped());
    };
    QString table =
        QStringLiteral("<b>%1</b><table cellspacing=\"0\" cellpadding=\"0\"><tr style=\"color:gray\">")
            .arg(QString::fromStdString(preview.heading).toHtmlEscaped());
    for (const char* caption : {"Level", "Core", "Memory", "Voltage"})
        table += cell(caption);
    table += QStringLiteral("</tr>");
    QString lines = QString::fromStdString(preview.heading);
    for (const LevelSummary& level : preview.levels) {
        const std::string memory =
            level.memory +
            (level.copies.empty() ? "" : " \u00D7" + level.copies.substr(0, level.copies.find(' ')));
        table += QStringLiteral("<tr>") + cell(level.id) + cell(level.core) + cell(memory) +
                 cell(level.voltage) + QStringLiteral("</tr>");
        lines += QStringLiteral("\n") + QString::fromStdString(levelText(level));
    }
    m_levels->setText(table + QStringLiteral("</table>"));
    m_levels->setToolTip(lines +
                         QStringLiteral("\n\nLevel, core clock, memory clock and its copies (one per "
                                        "memory configuration), voltage. The card picks a level by its "
                                        "load; while you edit, the levels show what a save would write."));
}

void TarvEdit::openFile(const QString& path) {
    // The window shows the full path, as the open dialog gives it.
    act([&] { m_model.openAfterAsking(QFileInfo(path).absoluteFilePath().toStdString()); });
}

void TarvEdit::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    act([&] { mayClose = m_model.closeRequested(); });
    if (mayClose)
        event->accept();
    else
        event->ignore();
}

bool TarvEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_checkLine || watched == m_structureLine) {
        if (event->type() == QEvent::MouseButtonRelease) {
            // The structure line leads to the structure itself, the image check to every check.
            if (watched == m_structureLine)
                m_inspection->showStructure();
            else
                showChecks();
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == editFor(Control::Core2D) && event->type() == QEvent::ToolTip) return true;
    switch (event->type()) {
    case QEvent::FocusIn: {
        // The user's own moves only: the focus a window gives its first control when it opens
        // or comes to the front must not hide the image check.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason) {
            m_placeShownFor = watched;
            showPlaceOf(watched);
        }
        break;
    }
    case QEvent::Enter:
        showPlaceOf(watched);
        break;
    case QEvent::FocusOut:
        if (watched == m_placeShownFor) m_placeShownFor = nullptr;
        showPlaceOf(nullptr);
        break;
    case QEvent::Leave:
        // Back to the field the user gave the focus, if any.
        showPlaceOf(m_placeShownFor);
        break;
    default:
        break;
    }
    if (event->type() == QEvent::KeyRelease) {
        for (const Control box : kMemoryBoxes)
            if (watched == editFor(box)) act([&] { m_model.keyReleased(box); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TarvEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedBiosFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TarvEdit::dropEvent(QDropEvent* event) {
    const QString path = droppedBiosFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    openFile(path);
}

void TarvEdit::showMessage(const Message& message) {
    m_pendingMessages.push_back(message);
    if (m_acting == 0) {
        syncFromModel();
        showPendingMessages();
    }
}

void TarvEdit::showPendingMessages() {
    // A box may be answered by an action that queues more; they follow in order.
    while (!m_pendingMessages.empty()) {
        const Message message = m_pendingMessages.front();
        m_pendingMessages.erase(m_pendingMessages.begin());
        m_services.showMessage(this, message);
    }
}

UnsavedChanges TarvEdit::askToSaveChanges(const std::string& question) {
    // The question comes before anything changes, so the window is still what the user saw.
    return m_services.askToSaveChanges(this, QString::fromStdString(question));
}

bool TarvEdit::confirmSave(const std::string& question, const std::string& detail) {
    return m_services.confirmSave(this, QString::fromStdString(question), QString::fromStdString(detail));
}

std::optional<std::string> TarvEdit::chooseOpenPath() {
    const auto path = m_services.chooseOpenFile(this);
    if (!path) return std::nullopt;
    return path->toStdString();
}

std::optional<SaveChoice> TarvEdit::chooseSavePath() {
    return m_services.chooseSaveFile(this);
}

void TarvEdit::showDialog(Dialog dialog) {
    if (SecondaryDialog* form = m_forms[static_cast<std::size_t>(dialog)]) form->showInFront();
}

void TarvEdit::closeMainWindow() {
    close();
}

} // namespace zfx::gui
