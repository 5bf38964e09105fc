// SPDX-License-Identifier: MIT
#include "main_window.h"

#include "checks_window.h"
#include "dialogs.h"
#include "eliding_label.h"
#include "help_window.h"
#include "levels_editor.h"
#include "recent_files.h"
#include "structure_and_comparison_menu.h"
#include "text/number_text.h"
#include "window_place.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace zfx::gui {

namespace {

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

// A text without the carriage returns and line feeds at its end.
std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

} // namespace

TarvEdit::TarvEdit(DesktopServices& services, QSettings* settings)
    : m_services(services), m_model(*this),
      m_settings(settings ? settings
                          : new QSettings(QStringLiteral("Zorvane"), QStringLiteral("Zorvane FX"), this)) {
    setObjectName(QStringLiteral("TarvEdit"));
    m_model.setDecimalSeparator(QLocale().decimalPoint().toStdString());
    // The design's 8-point font, in pixels that the scale factor scales.
    QFont referenceFont = font();
    referenceFont.setPixelSize(11);
    setFont(referenceFont);
    buildMenus();
    buildControls();
    buildStatusBar();
    setTabOrderFollowingTheLayout();
    setWindowIcon(projectIcon());
    setAcceptDrops(true);
    m_structureAndComparison = new StructureAndComparisonMenu(*this, m_services);
    syncFromModel();
    restoreSizeAndPlace();
}

void TarvEdit::restoreSizeAndPlace() {
    // The design's size and place, moved and shrunk as little as needed to lie on the screen; the
    // last run's instead while they lie on it.
    placeOnScreen(*this, QSize(710, 526), QPoint(304, 232));
    const QRect designed = geometry();
    if (restoreGeometry(m_settings->value(QStringLiteral("window/geometry")).toByteArray()) &&
        !screen()->availableGeometry().intersects(geometry()))
        setGeometry(designed);
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
    m_recentMenu = file->addMenu(QStringLiteral("Open &Recent"));
    m_recentMenu->setObjectName(QStringLiteral("OpenRecent"));
    QAction* save = file->addAction(QStringLiteral("&Save BIOS..."), this,
                                    [this] { act([this] { (void)m_model.SaveBIOS1Click(); }); });
    save->setObjectName(QStringLiteral("SaveBIOS1"));
    save->setShortcut(QKeySequence::Save);
    QAction* exit =
        file->addAction(QStringLiteral("E&xit"), this, [this] { act([this] { m_model.Exit1Click(); }); });
    exit->setObjectName(QStringLiteral("Exit1"));
    exit->setShortcut(QKeySequence::Quit);
    m_recent = std::make_unique<RecentFiles>(*m_settings, *m_recentMenu, [this](const QString& path) {
        act([&] { m_model.openAfterAsking(path.toStdString()); });
    });
    buildEditMenu();
    QMenu* info = menuBar()->addMenu(QStringLiteral("&Info"));
    info->setObjectName(QStringLiteral("Info1"));
    QAction* howTo = info->addAction(QStringLiteral("&How do I ?"), this, [this] { m_model.HowdoI1Click(); });
    howTo->setObjectName(QStringLiteral("HowdoI1"));
    QAction* about = info->addAction(QStringLiteral("&About"), this, [this] { m_model.About1Click(); });
    about->setObjectName(QStringLiteral("About1"));
    QAction* checks = info->addAction(QStringLiteral("&Checks..."), this, [this] { showChecks(); });
    checks->setObjectName(QStringLiteral("Checks1"));
    buildHelpMenu();
}

void TarvEdit::buildEditMenu() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    m_undo = edit->addAction(QStringLiteral("&Undo"), this, [this] { act([this] { m_model.undo(); }); });
    m_undo->setObjectName(QStringLiteral("Undo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = edit->addAction(QStringLiteral("&Redo"), this, [this] { act([this] { m_model.redo(); }); });
    m_redo->setObjectName(QStringLiteral("Redo"));
    m_redo->setShortcut(QKeySequence::Redo);
    edit->addSeparator();
    m_revertField = edit->addAction(QStringLiteral("Revert &Field"), this, [this] {
        if (const auto cell = levelRevertTarget())
            act([&] { m_model.revertLevel(*cell); });
        else if (const auto control = revertTarget())
            act([&] { m_model.revertControl(*control); });
    });
    m_revertField->setObjectName(QStringLiteral("RevertField"));
    m_revertAll = edit->addAction(QStringLiteral("Revert &All"), this,
                                  [this] { act([this] { m_model.revertAll(); }); });
    m_revertAll->setObjectName(QStringLiteral("RevertAll"));
    // The field to revert is the focused one when the menu opens.
    connect(edit, &QMenu::aboutToShow, this, [this] { showEditState(); });
}

void TarvEdit::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    QAction* guides = help->addAction(QStringLiteral("&Guides"), this, [this] { helpWindow().showGuide(); });
    guides->setObjectName(QStringLiteral("Guides"));
    guides->setShortcut(QKeySequence::HelpContents);
    const std::array<std::pair<QString, QString>, 4> shortcuts{{
        {QStringLiteral("&Reading the BIOS from your card"), QStringLiteral("guide-reading-bios.md")},
        {QStringLiteral("What each &field means"), QStringLiteral("guide-fields.md")},
        {QStringLiteral("&Before you flash"), QStringLiteral("guide-before-you-flash.md")},
        {QStringLiteral("&Flashing the modified BIOS"), QStringLiteral("guide-flashing-bios.md")},
    }};
    for (const auto& [caption, name] : shortcuts)
        help->addAction(caption, this, [this, name = name] { helpWindow().showGuide(guideUrl(name)); });
}

HelpWindow& TarvEdit::helpWindow() {
    if (!m_helpWindow) m_helpWindow = new HelpWindow(m_services, this);
    return *m_helpWindow;
}

QStringList TarvEdit::recentFiles() const {
    return m_recent->files();
}

std::optional<Control> TarvEdit::revertTarget() const {
    const auto control = controlOf(focusWidget());
    if (!control || !m_model.changedFromFile(*control)) return std::nullopt;
    return control;
}

std::optional<LevelCell> TarvEdit::levelRevertTarget() const {
    const auto cell = m_levelsTable->cellOf(focusWidget());
    if (!cell || !m_model.levelChangedFromFile(*cell)) return std::nullopt;
    return cell;
}

void TarvEdit::showChecks() {
    if (!m_checksWindow) m_checksWindow = new ChecksWindow(this);
    m_checksWindow->showReport(m_model.checksReport());
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

std::string TarvEdit::placeTextOf(const QObject* widget) const {
    // A value the save would refuse says why first; otherwise where the value lives.
    if (const auto cell = m_levelsTable->cellOf(widget)) {
        const std::string refusal = m_model.levelRefusal(*cell);
        return refusal.empty() ? m_model.levelPlaceOf(*cell) : refusal;
    }
    const auto control = widget ? controlOf(widget) : std::nullopt;
    if (!control) return {};
    const std::string refusal = m_model.refusalOf(*control);
    return refusal.empty() ? m_model.placeOf(*control) : refusal;
}

bool TarvEdit::refusedAt(const QObject* widget) const {
    if (const auto cell = m_levelsTable->cellOf(widget)) return !m_model.levelRefusal(*cell).empty();
    const auto control = controlOf(widget);
    return control && !m_model.refusalOf(*control).empty();
}

void TarvEdit::showPlaceOf(const QObject* widget) {
    const std::string place = placeTextOf(widget);
    if (place.empty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(QString::fromStdString(place));
}

void TarvEdit::showCheckLines() {
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
}

void TarvEdit::syncFromModel() {
    const FormState& f = m_model.form();
    showCheckLines();
    showLevels(m_model.levelsPreview());
    const bool opened = !m_model.analysis().image.empty();
    // The IDs a flash tool compares, as the PCI world writes them.
    const QString ids = opened ? QStringLiteral("PCI IDs: ") +
                                     QString::fromStdString(pciIdsText(m_model.analysis().data.identity))
                               : QString();
    m_devicename->setToolTip(ids);
    m_manufactor->setToolTip(ids);
    // A field's place changes with the image: the bar shows the focused field's anew.
    const QObject* focused = m_placeShownFor ? m_placeShownFor : focusWidget();
    if (!statusBar()->currentMessage().isEmpty() || refusedAt(focused)) showPlaceOf(focused);
    setWindowTitle(QString::fromStdString(m_model.windowTitle()));
    // A file opened or saved goes to the top of the recent files.
    if (m_model.documentPath() != m_rememberedDocument) {
        m_rememberedDocument = m_model.documentPath();
        if (!m_rememberedDocument.empty()) m_recent->remember(QString::fromStdString(m_rememberedDocument));
    }
    if (m_structureAndComparison) m_structureAndComparison->refresh();
    showFormValues(f);
    showCaptions(f);
    showEditState();
}

void TarvEdit::showFormValues(const FormState& f) {
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
}

void TarvEdit::showCaptions(const FormState& f) {
    // The image's version text may end its line: the window shows the text alone.
    const std::string version = withoutLineEnd(f.biosVersion);
    const std::array<std::pair<QLabel*, const std::string*>, 7> captions{{{m_Pfad, &f.filePath},
                                                                          {m_devicename, &f.deviceName},
                                                                          {m_Biosversion, &version},
                                                                          {m_manufactor, &f.vendorName},
                                                                          {m_rates[0], &f.memoryRate3D},
                                                                          {m_rates[1], &f.memoryRateThrottle},
                                                                          {m_rates[2], &f.memoryRate2D}}};
    for (const auto& [label, caption] : captions) {
        // Texts from the image (the BIOS version) and the file's name show control characters as
        // visible escapes, and never as rich text.
        label->setTextFormat(Qt::PlainText);
        const QString text = QString::fromStdString(visibleText(*caption));
        if (label->text() != text) label->setText(text);
    }
    m_Pfad->setToolTip(m_Pfad->text());
}

void TarvEdit::showEditState() {
    m_undo->setEnabled(m_model.canUndo());
    m_redo->setEnabled(m_model.canRedo());
    m_revertField->setEnabled(levelRevertTarget() || revertTarget());
    bool anyChanged = false;
    // A value the user changed is bold, and its tool tip says what the file holds; a text the save
    // would refuse is in the palette's warning red, with the reason.
    const QColor refusedColor = refusedColour(palette());
    std::vector<std::pair<Control, QWidget*>> fields;
    fields.reserve(kEditBoxes.size() + kVoltageLists.size());
    for (const Control box : kEditBoxes)
        fields.emplace_back(box, editFor(box));
    for (const Control list : kVoltageLists)
        fields.emplace_back(list, m_combos[controlInfo(list).index]);
    for (const auto& [control, widget] : fields) {
        const bool changed = m_model.changedFromFile(control);
        anyChanged = anyChanged || changed;
        QFont f = widget->font();
        f.setBold(changed);
        widget->setFont(f);
        const std::string refusal = m_model.refusalOf(control);
        // Only the text's colour is the box's own; the rest follows the window's palette.
        QPalette colours;
        if (!refusal.empty()) colours.setColor(QPalette::Text, refusedColor);
        widget->setPalette(colours);
        widget->setProperty("refused", !refusal.empty());
        QString tip = QString::fromStdString(
            refusal.empty() ? m_model.controlHint(control) : refusal + "\n\n" + m_model.controlHint(control));
        const QString designHint = widget->property("designHint").toString();
        if (!designHint.isEmpty()) tip += QStringLiteral("\n\n") + designHint;
        widget->setToolTip(tip);
    }
    m_revertAll->setEnabled(anyChanged || m_model.modified());
}

void TarvEdit::showLevels(const EditorModel::LevelsPreview& preview) {
    m_levelsTable->showModel(m_model);
    m_levelsTable->setVisible(m_model.levels().has_value());
    if (preview.levels.empty()) {
        m_levels->clear();
        m_levels->setToolTip({});
        return;
    }
    const LevelsHeading heading = levelsHeading(preview);
    m_levels->setText(heading.heading);
    m_levels->setToolTip(heading.toolTip);
    m_levelsTable->setToolTip(heading.toolTip);
}

void TarvEdit::editLevel(const LevelCell& cell, const std::string& text) {
    std::optional<std::string> unset;
    act([&] { unset = m_model.setLevelText(cell, text); });
    // Nothing was set: the cell shows the model's value again, and the bar says why.
    if (unset) statusBar()->showMessage(QString::fromStdString(*unset));
}

void TarvEdit::openFile(const QString& path) {
    // The window shows the full path, as the open dialog gives it.
    act([&] { m_model.openAfterAsking(QFileInfo(path).absoluteFilePath().toStdString()); });
}

void TarvEdit::changeEvent(QEvent* event) {
    // A dark palette needs another red for the refused values.
    if (event->type() == QEvent::PaletteChange && m_undo) {
        showEditState();
        m_levelsTable->showModel(m_model);
    }
    QMainWindow::changeEvent(event);
}

void TarvEdit::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    act([&] { mayClose = m_model.closeRequested(); });
    if (mayClose) {
        m_settings->setValue(QStringLiteral("window/geometry"), saveGeometry());
        event->accept();
    } else
        event->ignore();
}

bool TarvEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_checkLine || watched == m_structureLine) {
        if (event->type() == QEvent::MouseButtonRelease) {
            // The structure line leads to the structure itself, the image check to every check.
            if (watched == m_structureLine)
                m_structureAndComparison->showStructure();
            else
                showChecks();
        }
        return QMainWindow::eventFilter(watched, event);
    }
    // Undo and redo in a box are the window's: they take back the list and check box changes too.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->ignore();
            return true;
        }
    }
    showPlaceOnFocusOrHover(watched, event);
    if (event->type() == QEvent::KeyRelease) {
        for (const Control box : kMemoryBoxes)
            if (watched == editFor(box)) act([&] { m_model.keyReleased(box); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TarvEdit::showPlaceOnFocusOrHover(const QObject* watched, QEvent* event) {
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
    const auto path = m_services.chooseOpenFile(this, m_recent->startFolder(m_model.documentPath()));
    if (!path) return std::nullopt;
    m_recent->rememberFolderOf(*path);
    return path->toStdString();
}

std::optional<SaveChoice> TarvEdit::chooseSavePath() {
    const std::string proposed = m_model.proposedSavePath(
        [](const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); });
    auto choice = m_services.chooseSaveFile(this, QString::fromStdString(proposed));
    if (choice) m_recent->rememberFolderOf(QString::fromStdString(choice->path));
    return choice;
}

void TarvEdit::showDialog(Dialog dialog) {
    if (SecondaryDialog* form = m_forms[static_cast<std::size_t>(dialog)]) form->showInFront();
}

void TarvEdit::closeMainWindow() {
    close();
}

} // namespace zfx::gui
