// SPDX-License-Identifier: MIT
#include "comparison_window.h"
#include "editor/settings.h"
#include "editor_windows.h"
#include "help_window.h"
#include "hex_view.h"
#include "levels_editor.h"
#include "link_label.h"
#include "save/risky_values.h"
#include "structure_and_comparison_menu.h"
#include "structure_window.h"
#include "test_support.h"
#include "text/number_text.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QtTest>

#include <deque>

using namespace zfx;
using namespace zfx::gui;

namespace {

// Answers the desktop's boxes and dialogs from a script and records what was shown.
class FakeServices final : public DesktopServices {
  public:
    void showMessage(QWidget* parent, const Message& message) override {
        messages.push_back(message);
        // What the window showed while the box was up.
        QStringList labels;
        for (const char* name : {"Pfad", "devicename", "Biosversion", "manufactor"})
            labels << parent->findChild<QLabel*>(QString::fromLatin1(name))->text();
        windowWhileShown.push_back(labels);
    }
    std::optional<QString> chooseOpenFile(QWidget*, const QString& folder) override {
        openFolders << folder;
        if (openAnswers.empty()) return std::nullopt;
        const QString answer = openAnswers.front();
        openAnswers.pop_front();
        return answer;
    }
    std::optional<SaveChoice> chooseSaveFile(QWidget*, const QString& proposed) override {
        proposals << proposed;
        if (saveAnswers.empty()) return std::nullopt;
        auto answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }
    UnsavedChanges askToSaveChanges(QWidget*, const QString& question) override {
        questions << question;
        if (unsavedAnswers.empty()) return UnsavedChanges::Cancel;
        const UnsavedChanges answer = unsavedAnswers.front();
        unsavedAnswers.pop_front();
        return answer;
    }
    bool confirmSave(QWidget*, const QString& question, const QString& detail) override {
        saveQuestions << question + "\n" + detail;
        return saveAnyway;
    }
    std::optional<QString> chooseFile(QWidget*, ChosenFile, const QString& proposed) override {
        chosenProposals << proposed;
        if (chosenFiles.empty()) return std::nullopt;
        const QString answer = chosenFiles.front();
        chosenFiles.pop_front();
        return answer;
    }
    bool ask(QWidget*, const QString& question, const QString& detail) override {
        asked << question + "\n" + detail;
        return answerYes;
    }
    void tell(QWidget*, const QString& text, const QString& detail) override { told << text + "\n" + detail; }
    bool openLink(const QUrl& url) override {
        openedLinks.push_back(url.toString());
        return linksOpen;
    }
    void reportUnopenedLink(QWidget*, const QString& address) override { unopenedLinks.push_back(address); }
    std::vector<Message> messages;
    std::vector<QStringList> windowWhileShown;
    QStringList saveQuestions;
    QStringList openFolders;
    QStringList proposals;
    bool saveAnyway = true;
    QStringList questions;
    std::deque<UnsavedChanges> unsavedAnswers;
    std::deque<QString> openAnswers;
    std::deque<std::optional<SaveChoice>> saveAnswers;
    // What the structure and comparison menu and the settings files were asked and told, and the
    // files they are answered with.
    std::deque<QString> chosenFiles;
    QStringList chosenProposals;
    QStringList asked;
    QStringList told;
    bool answerYes = true;
    // The links opened on the desktop, whether a program opens them, and those said to be unopened.
    std::vector<QString> openedLinks;
    bool linksOpen = true;
    std::vector<QString> unopenedLinks;
};

template <typename T> T* child(QWidget* root, const char* name) {
    T* found = root->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no widget %s", name);
    return found;
}

QAction* action(QWidget* root, const char* name) {
    return child<QAction>(root, name);
}

} // namespace

class GuiTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FakeServices> services;
    std::unique_ptr<EditorWindows> windows;
    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<QSettings> settings;
    QWidget* main() { return &windows->TarvEdit; }
    StructureWindow* structureWindow() {
        return windows->TarvEdit.structureAndComparison().structureWindow();
    }
    static QTreeWidgetItem* topItem(QTreeWidget* tree, const char* label) {
        const QList<QTreeWidgetItem*> found = tree->findItems(QString::fromLatin1(label), Qt::MatchExactly);
        if (found.isEmpty()) qFatal("no tree item %s", label);
        return found.front();
    }
    QLineEdit* edit(int n) { return child<QLineEdit>(main(), ("Edit" + std::to_string(n)).c_str()); }

    QString writeSample(const std::string& name) {
        const auto path = dir->file(name);
        test::writeBytes(path, test::sampleBytes(name));
        return QString::fromStdString(path.string());
    }
    // Opens the FX 5700 sample with one byte changed after its checksum was set; returns its bytes.
    std::vector<std::uint8_t> openDamaged() {
        std::vector<std::uint8_t> damaged = test::sampleBytes("fx5700.rom");
        damaged[0x100] ^= 0x01;
        const auto path = dir->file("damaged.rom");
        test::writeBytes(path, damaged);
        services->openAnswers.push_back(QString::fromStdString(path.string()));
        action(main(), "OpenBIOS1")->trigger();
        return damaged;
    }

    void openThroughMenu(const std::string& name) {
        services->openAnswers.push_back(writeSample(name));
        action(main(), "OpenBIOS1")->trigger();
    }

    EditorModel& model() { return windows->TarvEdit.model(); }
    LevelsEditor* levelsTable() {
        return static_cast<LevelsEditor*>(child<QTableWidget>(main(), "LevelsTable"));
    }
    // Makes a level's cell the current one and opens its editor, as a double click does.
    QWidget* openLevelEditor(const LevelCell& cell) {
        LevelsEditor* table = levelsTable();
        QTableWidgetItem* item = table->itemOf(cell);
        if (!item) qFatal("no cell %s", levelCellName(cell).c_str());
        table->setFocus(Qt::MouseFocusReason);
        table->setCurrentItem(item);
        table->editItem(item);
        return table->openEditor();
    }
    // Types into a level's cell, replacing what it holds; returns the editor.
    QLineEdit* typeIntoLevel(const LevelCell& cell, const QString& text) {
        auto* line = qobject_cast<QLineEdit*>(openLevelEditor(cell));
        if (!line) qFatal("no line editor for %s", levelCellName(cell).c_str());
        line->setFocus();
        line->selectAll();
        QTest::keyClicks(line, text);
        return line;
    }
    QString statusMessage() { return child<QStatusBar>(main(), "StatusBar")->currentMessage(); }

  private slots:
    void init() {
        services = std::make_unique<FakeServices>();
        dir = std::make_unique<test::TempDir>();
        // Settings of the test's own, never the user's.
        settings = std::make_unique<QSettings>(QString::fromStdString(dir->file("settings.ini").string()),
                                               QSettings::IniFormat);
        windows = std::make_unique<EditorWindows>(*services, defaultLinkTargets(), settings.get());
        windows->TarvEdit.show();
    }
    void cleanup() {
        windows.reset();
        services.reset();
        settings.reset();
        dir.reset();
    }

    void startUpStateMatchesTheDesign() {
        QCOMPARE(main()->windowTitle(), QStringLiteral("Zorvane FX 1.4"));
        QVERIFY(!main()->windowIcon().isNull());
        for (int n = 1; n <= 12; ++n) {
            QVERIFY2(!edit(n)->isEnabled(), qPrintable(QString("Edit%1").arg(n)));
            QCOMPARE(edit(n)->text(), n <= 6 ? QStringLiteral("--") : QStringLiteral("-"));
        }
        for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox3"})
            QVERIFY(!child<QComboBox>(main(), name)->isEnabled());
        QVERIFY(!child<QCheckBox>(main(), "CheckBox1")->isEnabled());
        QVERIFY(!child<QCheckBox>(main(), "CheckBox2")->isEnabled());
        QCOMPARE(child<QLabel>(main(), "Pfad")->text(), QStringLiteral("--"));
        for (QWidget* form : std::initializer_list<QWidget*>{&windows->Form1, &windows->Form2,
                                                             &windows->Form3, &windows->Form4})
            QVERIFY(!form->isVisible());
    }

    // Every box's tool tip names its field, unit and range, then the design's hint for its group.
    void hintsGiveTheFieldThenTheGroupsHint() {
        openThroughMenu("fx5600.rom");
        const QString clockHint = child<QWidget>(main(), "GroupBox2")->toolTip();
        QVERIFY(clockHint.startsWith("Change the clockspeeds"));
        QVERIFY(edit(3)->toolTip().startsWith(
            QStringLiteral("3D core clock, in MHz.\nThe save takes 0 to 655 MHz.\n"
                           "In the file: 325 MHz.")));
        QVERIFY(edit(3)->toolTip().endsWith(clockHint));
        QVERIFY(edit(4)->toolTip().contains(QStringLiteral("real clock; the DDR rate is twice it")));
        QVERIFY(edit(4)->toolTip().endsWith(
            QStringLiteral("This shows the memory speed your card has in 3D Mode.")));
        // Edit1 had no hint of its group: it has its field's alone.
        QVERIFY(edit(1)->toolTip().startsWith(QStringLiteral("2D core clock, in MHz.")));
        QVERIFY(!edit(1)->toolTip().contains(clockHint));
        QVERIFY(edit(9)->toolTip().endsWith(child<QWidget>(main(), "GroupBox4")->toolTip()));
        QVERIFY(child<QWidget>(main(), "ComboBox1")
                    ->toolTip()
                    .startsWith(QStringLiteral("2D voltage, in volts")));
        QCOMPARE(child<QWidget>(main(), "CheckBox2")->toolTip(), QString());
    }

    void openingThroughTheMenuShowsTheCard() {
        openThroughMenu("fx5800.rom");
        QCOMPARE(child<QLabel>(main(), "devicename")->text(), QStringLiteral("Nvidia FX5800 Ultra"));
        QCOMPARE(child<QLabel>(main(), "manufactor")->text(), QStringLiteral("Gainward"));
        QCOMPARE(edit(3)->text(), QStringLiteral("500"));
        QVERIFY(edit(3)->isEnabled());
        QCOMPARE(child<QLabel>(main(), "StaticText20")->text(), QStringLiteral("(1000Mhz DDR)"));
        QCOMPARE(child<QComboBox>(main(), "ComboBox3")->currentIndex(), 2);
        QVERIFY(services->messages.empty());
    }

    void editBoxesTakeDigitsOnlyTypedOrPasted() {
        openThroughMenu("fx5800.rom");
        QLineEdit* e = edit(4);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, "3a1-5");
        QCOMPARE(e->text(), QStringLiteral("315"));
        QCOMPARE(QString::fromStdString(windows->TarvEdit.model().form().edit(Control::Mem2D).text),
                 QStringLiteral("315"));
        QCOMPARE(child<QLabel>(main(), "StaticText22")->text(), QStringLiteral("(630Mhz DDR)"));
        QApplication::clipboard()->setText(QStringLiteral("12x"));
        e->selectAll();
        e->paste();
        QCOMPARE(e->text(), QStringLiteral("315"));
        QApplication::clipboard()->setText(QStringLiteral("42"));
        e->selectAll();
        e->paste();
        QCOMPARE(e->text(), QStringLiteral("42"));
    }

    void tickingAndSelectingGoThroughTheModel() {
        openThroughMenu("fx5950-ultra.rom");
        QTest::mouseClick(child<QCheckBox>(main(), "CheckBox2"), Qt::LeftButton);
        QVERIFY(windows->Form4.isVisible());
        QCOMPARE(edit(7)->text(), QStringLiteral("5"));
        QVERIFY(edit(8)->isEnabled());
        QComboBox* list = child<QComboBox>(main(), "ComboBox3");
        list->activated(3);
        QCOMPARE(windows->TarvEdit.model().form().combo(Control::Voltage3D).selected, 3);
    }

    void savingThroughTheMenuWritesTheFile() {
        openThroughMenu("fx5200.rom");
        edit(3)->setFocus();
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), "260");
        services->saveAnswers.push_back(SaveChoice{dir->file("mod").string(), kBinFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        QCOMPARE(services->messages.back().text, std::string("File saved."));
        QCOMPARE(child<QLabel>(main(), "Pfad")->text(),
                 QString::fromStdString(dir->file("mod.bin").string()));
        QCOMPARE(test::readBytes(dir->file("mod.bin"))[0x2003], std::uint8_t{0x90});
    }

    void droppingARomFileOpensItAndOtherFilesAreIgnored() {
        auto drop = [&](const QString& path) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(main(), &enter);
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(main(), &dropped);
            return enter.isAccepted();
        };
        QVERIFY(drop(writeSample("fx5700.rom")));
        QCOMPARE(child<QLabel>(main(), "devicename")->text(), QStringLiteral("Nvidia FX5700 Ultra"));
        const auto text = dir->file("notes.txt");
        test::writeBytes(text, test::sampleBytes("fx5200.rom"));
        QVERIFY(!drop(QString::fromStdString(text.string())));
        QCOMPARE(child<QLabel>(main(), "devicename")->text(), QStringLiteral("Nvidia FX5700 Ultra"));
    }

    void failedLoadShowsTheCauseAndKeepsTheWindow() {
        openThroughMenu("fx5800.rom");
        services->openAnswers.push_back(QString::fromStdString(dir->file("missing.rom").string()));
        action(main(), "OpenBIOS1")->trigger();
        QCOMPARE(services->messages.back().text, std::string("Cant open File!"));
        QVERIFY(!services->messages.back().detail.empty());
        QCOMPARE(child<QLabel>(main(), "devicename")->text(), QStringLiteral("Nvidia FX5800 Ultra"));
    }

    void menusShowEachDialogOnceAndBringItForward() {
        action(main(), "HowdoI1")->trigger();
        action(main(), "HowdoI1")->trigger();
        QVERIFY(windows->Form1.isVisible());
        QCOMPARE(main()->findChildren<TForm1*>().size(), 0); // top-level, not a child of the window
        action(main(), "About1")->trigger();
        QVERIFY(windows->Form2.isVisible());
        QCOMPARE(child<QLabel>(&windows->Form2, "StaticText1")->text(),
                 QStringLiteral("Zorvane FX Version 1.4"));
        windows->Form1.Button1->click();
        QVERIFY(!windows->Form1.isVisible());
        action(main(), "HowdoI1")->trigger();
        QVERIFY(windows->Form1.isVisible());
    }

    void onlyTheMainWindowKeepsTheProgramRunning() {
        QVERIFY(main()->testAttribute(Qt::WA_QuitOnClose));
        for (QWidget* form : std::initializer_list<QWidget*>{&windows->Form1, &windows->Form2,
                                                             &windows->Form3, &windows->Form4})
            QVERIFY(!form->testAttribute(Qt::WA_QuitOnClose));
    }

    void enterClosesHelpAndAbout() {
        for (SecondaryDialog* form : {static_cast<SecondaryDialog*>(&windows->Form1),
                                      static_cast<SecondaryDialog*>(&windows->Form2)}) {
            form->showInFront();
            QVERIFY(form->Button1->isDefault());
            QTest::keyClick(form, Qt::Key_Return);
            QVERIFY(!form->isVisible());
        }
        QVERIFY(!windows->Form3.Button1->isDefault());
    }

    void dialogTextsAreNotCutOff() {
        for (SecondaryDialog* form : std::initializer_list<SecondaryDialog*>{
                 &windows->Form1, &windows->Form2, &windows->Form3, &windows->Form4}) {
            form->showInFront();
            const auto labels = form->findChildren<QLabel*>();
            for (QLabel* label : labels) {
                QVERIFY2(form->rect().contains(label->geometry()), qPrintable(label->objectName()));
                QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
                for (QLabel* other : labels)
                    QVERIFY2(other == label || !other->geometry().intersects(label->geometry()),
                             qPrintable(label->objectName() + " overlaps " + other->objectName()));
            }
        }
        for (QLabel* label : main()->findChildren<QLabel*>())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
        // Controls that share a parent do not overlap (group boxes are frames behind them).
        for (QWidget* parent : main()->findChildren<QWidget*>()) {
            QList<QWidget*> controls;
            for (QObject* object : parent->children())
                if (auto* w = qobject_cast<QWidget*>(object);
                    w && !qobject_cast<QGroupBox*>(w) && !w->objectName().isEmpty() &&
                    w->objectName().contains(QRegularExpression(
                        "^(Edit|Combo|Check|Static|Label|Pfad|devicename|Biosversion|manufactor)")))
                    controls << w;
            for (QWidget* a : controls)
                for (QWidget* b : controls)
                    QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + " overlaps " + b->objectName()));
        }
    }

    void conversionFailureReachesTheErrorReport() {
        openThroughMenu("fx5800.rom");
        windows->TarvEdit.model().typeText(Control::Mem2D, "99999999999");
        QCOMPARE(services->messages.back().text,
                 std::string("'99999999999' ist kein g\xC3\xBCltiger Integerwert."));
        QVERIFY(services->messages.back().isError);
    }

    void hyperlinkLabelFollowsItsSevenRules() {
        FakeServices desktop;
        const std::vector<QString>& opened = desktop.openedLinks;
        TKydUrlLabel label(desktop);
        label.setText(QStringLiteral("https://example.invalid/guide"));
        label.resize(100, 13);
        // The palette's link colours, so links read in dark themes too.
        const QColor blue = label.palette().color(QPalette::Link);
        const QColor navy = label.palette().color(QPalette::LinkVisited);
        const QColor red(255, 0, 0);
        QVERIFY(blue != navy);
        QCOMPARE(label.fontColor(), blue);
        QVERIFY(label.font().underline());
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);

        // press inside, release outside: nothing opened, rest colour
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(label.fontColor(), red);
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(101, 5));
        QVERIFY(opened.empty());
        QCOMPARE(label.fontColor(), blue);

        // release without a press on the label: nothing
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(opened.empty());

        // press and release on the bottom-right edge: inside; the caption is opened (URL empty)
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(100, 13));
        QCOMPARE(opened, std::vector<QString>{label.text()});
        QVERIFY(label.visited());
        QCOMPARE(label.fontColor(), navy);

        // hover shows the hot colour, leaving restores the visited colour
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&label, &enter);
        QCOMPARE(label.fontColor(), red);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&label, &leave);
        QCOMPARE(label.fontColor(), navy);

        // a visited label keeps showing navy when its link colour changes
        label.SetLinkColor(QColor(0, 128, 0));
        QCOMPARE(label.LinkColor(), QColor(0, 128, 0));
        QCOMPARE(label.fontColor(), navy);

        // URL wins over the caption
        label.URL = QStringLiteral("file:///guide.md");
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(opened.back(), QStringLiteral("file:///guide.md"));
    }

    void idleColourChangeRedefinesTheLinkColour() {
        FakeServices desktop;
        TKydUrlLabel label(desktop);
        label.setFontColor(QColor(10, 20, 30));
        QCOMPARE(label.LinkColor(), QColor(10, 20, 30));
        label.SetVLinkColor(QColor(1, 2, 3));
        QCOMPARE(label.VLinkColor(), QColor(1, 2, 3));
        QCOMPARE(label.fontColor(), QColor(10, 20, 30));
    }

    void titleMarksUnsavedEditsAndEveryWayOutAsks() {
        openThroughMenu("fx5800.rom");
        QCOMPARE(main()->windowTitle(), QStringLiteral("Zorvane FX 1.4 - fx5800.rom"));
        edit(3)->setFocus();
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), "510");
        QCOMPARE(main()->windowTitle(), QStringLiteral("Zorvane FX 1.4 - fx5800.rom *"));

        // Cancel at each of the four points: nothing happens.
        const QString other = writeSample("fx5200.rom");
        services->openAnswers.push_back(other);
        action(main(), "OpenBIOS1")->trigger();
        windows->TarvEdit.openFile(other); // as a drop or the command line opens
        action(main(), "Exit1")->trigger();
        main()->close();
        QCOMPARE(services->questions.size(), qsizetype{4});
        QCOMPARE(services->questions.front(), QStringLiteral("Save the changes to fx5800.rom?"));
        QVERIFY(main()->isVisible());
        QCOMPARE(edit(3)->text(), QStringLiteral("510"));
        QCOMPARE(services->openAnswers.size(), std::size_t{1}); // the open dialog never came

        // Save: the save dialog, then the open goes on.
        services->unsavedAnswers.push_back(UnsavedChanges::Save);
        services->saveAnswers.push_back(SaveChoice{dir->file("kept.rom").string(), kRomFilterEntry});
        action(main(), "OpenBIOS1")->trigger();
        QCOMPARE(child<QLabel>(main(), "devicename")->text(), QStringLiteral("Nvidia FX5200"));
        QVERIFY(std::filesystem::exists(dir->file("kept.rom")));
        QCOMPARE(main()->windowTitle(), QStringLiteral("Zorvane FX 1.4 - fx5200.rom"));

        // Discard: the window closes.
        edit(3)->setFocus();
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), "200");
        services->unsavedAnswers.push_back(UnsavedChanges::Discard);
        main()->close();
        QVERIFY(!main()->isVisible());
    }

    void memoryRateLabelFollowsItsBoxAfterAnotherImage() {
        openThroughMenu("fx5800.rom");
        edit(6)->setFocus();
        edit(6)->selectAll();
        QTest::keyClicks(edit(6), "510");
        QCOMPARE(child<QLabel>(main(), "StaticText20")->text(), QStringLiteral("(1020Mhz DDR)"));
        services->unsavedAnswers.push_back(UnsavedChanges::Discard);
        const auto empty = dir->file("empty.rom");
        test::writeBytes(empty, {});
        services->openAnswers.push_back(QString::fromStdString(empty.string()));
        action(main(), "OpenBIOS1")->trigger();
        QCOMPARE(edit(6)->text(), QStringLiteral("--"));
        QCOMPARE(child<QLabel>(main(), "StaticText20")->text(), QStringLiteral("--"));
    }

    void messageBoxesComeOnlyAfterTheWindowShowsTheNewState() {
        openThroughMenu("fx5800.rom");
        services->messages.clear();
        services->windowWhileShown.clear();
        const auto unsupported = dir->file("unsupported.rom");
        test::writeBytes(unsupported, std::vector<std::uint8_t>(100, 0x11));
        services->openAnswers.push_back(QString::fromStdString(unsupported.string()));
        action(main(), "OpenBIOS1")->trigger();
        QVERIFY(!services->messages.empty());
        QVERIFY(services->messages.front().text.starts_with("Device unsupported : "));
        QStringList now;
        for (const char* name : {"Pfad", "devicename", "Biosversion", "manufactor"})
            now << child<QLabel>(main(), name)->text();
        for (const QStringList& shown : services->windowWhileShown)
            QCOMPARE(shown, now);
    }

    void menusHaveMnemonicsAndStandardShortcuts() {
        const std::vector<std::pair<const char*, QString>> captions{{"OpenBIOS1", "&Open BIOS..."},
                                                                    {"SaveBIOS1", "&Save BIOS..."},
                                                                    {"Exit1", "E&xit"},
                                                                    {"HowdoI1", "&How do I ?"},
                                                                    {"About1", "&About"}};
        for (const auto& [name, caption] : captions)
            QCOMPARE(action(main(), name)->text(), caption);
        QCOMPARE(child<QMenu>(main(), "openfile")->title(), QStringLiteral("&File"));
        QCOMPARE(child<QMenu>(main(), "Info1")->title(), QStringLiteral("&Info"));
        QCOMPARE(action(main(), "OpenBIOS1")->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(action(main(), "SaveBIOS1")->shortcut(), QKeySequence(QKeySequence::Save));
        QCOMPARE(action(main(), "Exit1")->shortcut(), QKeySequence(QKeySequence::Quit));
        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        services->openAnswers.push_back(writeSample("fx5700.rom"));
        QTest::keyClick(main(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(child<QLabel>(main(), "devicename")->text(), QStringLiteral("Nvidia FX5700 Ultra"));
    }

    void tabOrderFollowsTheLayout() {
        const std::vector<QString> expected{"ComboBox3", "ComboBox2", "ComboBox1",  "CheckBox1", "Edit3",
                                            "Edit6",     "Edit2",     "Edit5",      "Edit1",     "Edit4",
                                            "CheckBox2", "Edit7",     "Edit8",      "Edit9",     "Edit10",
                                            "Edit11",    "Edit12",    "LevelsTable"};
        std::vector<QString> order;
        QWidget* start = child<QWidget>(main(), "ComboBox3");
        QWidget* w = start;
        do {
            if (std::find(expected.begin(), expected.end(), w->objectName()) != expected.end())
                order.push_back(w->objectName());
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(order, expected);
    }

    void linksAreReachedAndOpenedWithTheKeyboardAndAFailureIsSaid() {
        auto* link = child<TKydUrlLabel>(&windows->Form1, "KydUrlLabel1");
        QCOMPARE(link->focusPolicy(), Qt::StrongFocus);
        // On the desktop, not in the help window; and no program for it.
        link->setViewer({});
        services->linksOpen = false;
        const std::vector<QString>& opened = services->openedLinks;
        const std::vector<QString>& failed = services->unopenedLinks;
        windows->Form1.showInFront();
        link->setFocus();
        QTest::keyClick(link, Qt::Key_Return);
        QCOMPARE(opened, std::vector<QString>{link->URL});
        QCOMPARE(failed, std::vector<QString>{link->URL});
        QTest::keyClick(link, Qt::Key_Space);
        QCOMPARE(opened.size(), std::size_t{2});
    }

    // The window is laid out, not placed: it opens at the design's size on the screen, grows with
    // its controls, and keeps its size and place for the next run.
    void windowResizesAndRemembersItsPlace() {
        QVERIFY(main()->minimumWidth() < main()->maximumWidth());
        QVERIFY(main()->windowFlags() & Qt::WindowMaximizeButtonHint ||
                !(main()->windowFlags() & Qt::CustomizeWindowHint));
        const QRect screen = main()->screen()->availableGeometry();
        const QRect window(main()->pos(), main()->size());
        QVERIFY2(screen.contains(window), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                         .arg(window.x())
                                                         .arg(window.y())
                                                         .arg(window.width())
                                                         .arg(window.height())
                                                         .arg(screen.width())
                                                         .arg(screen.height())));
        openThroughMenu("fx5600.rom");
        main()->resize(main()->width() + 200, main()->height() + 120);
        QApplication::processEvents();
        QCOMPARE(main()->width(), main()->size().width());
        auto* clocks = child<QWidget>(main(), "GroupBox2");
        const int before = clocks->width();
        main()->resize(main()->minimumSize());
        QApplication::processEvents();
        QVERIFY(clocks->width() < before);
        // Nothing of the window is cut off at its smallest: Timing F and the status bar are inside.
        for (QWidget* w : {static_cast<QWidget*>(edit(12)), child<QWidget>(main(), "StatusBar"),
                           child<QWidget>(main(), "Label10")}) {
            const QRect inWindow(w->mapTo(main(), QPoint(0, 0)), w->size());
            QVERIFY2(main()->rect().contains(inWindow), qPrintable(w->objectName()));
        }
        main()->resize(800, 600);
        main()->move(screen.topLeft() + QPoint(20, 30));
        windows->TarvEdit.close();
        settings->sync();
        EditorWindows next(*services, defaultLinkTargets(), settings.get());
        QCOMPARE(next.TarvEdit.size(), QSize(800, 600));
    }

    // Every window opens whole on the screen it belongs to, at most as large as the screen's room,
    // and can be made no larger than that room either: the main window, the structure and
    // comparison windows, the guides, the checks and the secondary dialogs.
    void everyWindowOpensWholeOnItsScreen() {
        openThroughMenu("fx5700.rom");
        windows->TarvEdit.structureAndComparison().showStructure();
        services->chosenFiles.push_back(writeSample("fx5950-ultra.rom"));
        action(main(), "CompareWith")->trigger();
        windows->TarvEdit.helpWindow().showGuide();
        action(main(), "Checks1")->trigger();
        for (SecondaryDialog* form : std::initializer_list<SecondaryDialog*>{
                 &windows->Form1, &windows->Form2, &windows->Form3, &windows->Form4})
            form->showInFront();
        QApplication::processEvents();
        const QRect screen = main()->screen()->availableGeometry();
        const auto shown = [&](const char* name) {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1String(name) && top->isVisible()) return top;
            qFatal("no window %s", name);
        };
        for (const char* name : {"TarvEdit", "StructureWindow", "ComparisonWindow", "HelpWindow",
                                 "ChecksWindow", "Form1", "Form2", "Form3", "Form4"}) {
            QWidget* window = shown(name);
            const QRect placed(window->pos(), window->size());
            const QString where = QStringLiteral("%1 at %2,%3 %4x%5, minimum %6x%7, on %8x%9")
                                      .arg(QLatin1String(name))
                                      .arg(placed.x())
                                      .arg(placed.y())
                                      .arg(placed.width())
                                      .arg(placed.height())
                                      .arg(window->minimumWidth())
                                      .arg(window->minimumHeight())
                                      .arg(screen.width())
                                      .arg(screen.height());
            QVERIFY2(screen.contains(placed), qPrintable(where));
            QVERIFY2(screen.contains(window->frameGeometry()), qPrintable(where));
            // At its smallest it still fits, whatever its layout asks for.
            const QSize before = window->size();
            window->resize(1, 1);
            QApplication::processEvents();
            QVERIFY2(window->width() <= screen.width() && window->height() <= screen.height(),
                     qPrintable(where));
            window->resize(before);
        }
    }

    // The wheel turns a voltage list only while the list has the focus; over another, it goes to
    // the window around the list and the voltage stays.
    void theWheelOverAnUnfocusedVoltageListScrollsTheWindow() {
        openThroughMenu("fx5700.rom");
        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        auto* list = child<QComboBox>(main(), "ComboBox1");
        QVERIFY(list->isEnabled() && list->count() > 2);
        list->setCurrentIndex(1);
        emit list->activated(1);
        edit(1)->setFocus(Qt::TabFocusReason);
        QVERIFY(!list->hasFocus());
        QCOMPARE(list->focusPolicy(), Qt::StrongFocus);
        // An event the list ignores goes on to the widgets around it, up to the window.
        int passedOn = 0;
        const auto turn = [&](int delta) {
            const QPointF inside(list->width() / 2.0, list->height() / 2.0);
            QWheelEvent wheel(inside, list->mapToGlobal(inside), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(list, &wheel);
            if (!wheel.isAccepted()) ++passedOn;
        };
        const int selected = windows->TarvEdit.model().form().combo(Control::Voltage3D).selected;
        turn(-120);
        turn(120);
        turn(120);
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(windows->TarvEdit.model().form().combo(Control::Voltage3D).selected, selected);
        QCOMPARE(passedOn, 3);
        // Given the focus, the list turns.
        list->setFocus(Qt::TabFocusReason);
        turn(-120);
        QCOMPARE(list->currentIndex(), 2);
        QCOMPARE(passedOn, 3);
    }

    // The window shows the BIOS version without the line end the image's text has; the model
    // keeps the text as the image has it.
    void theBiosVersionShowsWithoutItsLineEnd() {
        std::vector<std::uint8_t> bytes = test::sampleBytes("fx5700.rom");
        const std::string word = "Version";
        const auto at = std::search(bytes.begin(), bytes.end(), word.begin(), word.end());
        QVERIFY(at != bytes.end());
        const std::string text = std::string("4.36.20.21") + "\r\n";
        std::copy(text.begin(), text.end(), at + 8);
        *(at + 8 + static_cast<std::ptrdiff_t>(text.size())) = 0;
        const auto path = dir->file("version.rom");
        test::writeBytes(path, bytes);
        services->openAnswers.push_back(QString::fromStdString(path.string()));
        action(main(), "OpenBIOS1")->trigger();
        QCOMPARE(child<QLabel>(main(), "Biosversion")->text(), QStringLiteral("4.36.20.21"));
        QCOMPARE(windows->TarvEdit.model().form().biosVersion, text);
    }

    // The Info box shows the card's PCI IDs and the performance levels' heading, whose tool tip
    // lists the levels as a save would write them; while the user edits, the heading says so.
    void thePerformanceLevelsShowWhatASaveWouldWrite() {
        openThroughMenu("fx5600.rom");
        QCOMPARE(child<QLabel>(main(), "devicename")->toolTip(),
                 QStringLiteral("PCI IDs: 10DE:0312, subsystem 107D:0000 (Leadtek)"));
        auto* heading = child<QLabel>(main(), "PerformanceLevels");
        QCOMPARE(heading->text(), QStringLiteral("Performance levels"));
        QVERIFY(heading->toolTip().contains(
            QStringLiteral("80h: core 325 MHz, memory 250 MHz (8 copies), 1.44 V")));
        edit(4)->setText(QStringLiteral("275"));
        emit edit(4)->textEdited(QStringLiteral("275"));
        QCOMPARE(heading->text(), QStringLiteral("Performance levels after a save"));
        QCOMPARE(heading->toolTip().count(QStringLiteral("memory 275 MHz (8 copies)")), 3);
        edit(4)->setText(QStringLiteral("250"));
        emit edit(4)->textEdited(QStringLiteral("250"));
        QCOMPARE(heading->text(), QStringLiteral("Performance levels"));
        openThroughMenu("fx5200.rom"); // no voltage table, but levels all the same
        QVERIFY(heading->toolTip().contains(QStringLiteral("200 MHz")));
        QVERIFY(levelsTable()->isVisible());
        QVERIFY(levelsTable()->itemOf({0x20, LevelField::Core}));
        openThroughMenu("unsupported.rom");
        QVERIFY(heading->text().isEmpty());
        QVERIFY(!levelsTable()->isVisible());
    }

    void theLevelsTableShowsEveryValueAndDashesWhatALevelLacks_data() {
        QTest::addColumn<QString>("sample");
        for (const char* name : {"fx5950-ultra.rom", "fx5600.rom", "gf6800.rom", "fx5200.rom"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    // A row per level with its id, and rows for its memory copies beneath it while it has more than
    // one; a value the level lacks shows "--" and takes no edit, as does a voltage without a table
    // to choose from. Voltages read as the table's entries do, "1.20".
    void theLevelsTableShowsEveryValueAndDashesWhatALevelLacks() {
        QFETCH(QString, sample);
        openThroughMenu(sample.toStdString());
        const std::optional<EditableLevels>& levels = model().levels();
        QVERIFY(levels);
        LevelsEditor* table = levelsTable();
        int rows = 0;
        for (const EditableLevel& level : levels->levels) {
            const int copyRows = level.memory.size() > 1 ? static_cast<int>(level.memory.size()) : 0;
            rows += 1 + copyRows;
            const int row = table->itemOf({level.id, LevelField::Core})->row();
            QCOMPARE(table->item(row, LevelsEditor::LevelColumn)->text(),
                     QString::fromStdString(hexByte(level.id)));
            for (const LevelField field :
                 {LevelField::Core, LevelField::Memory, LevelField::Voltage, LevelField::Fan}) {
                const LevelCell cell{level.id, field};
                const QTableWidgetItem* item = table->itemOf(cell);
                QVERIFY2(item && item->row() == row, levelCellName(cell).c_str());
                const bool lacking = lackingCell(*levels, cell).has_value();
                QCOMPARE(item->text(),
                         lacking ? QStringLiteral("--") : QString::fromStdString(model().levelText(cell)));
                const bool choosable = field != LevelField::Voltage || !levels->tableVoltages.empty();
                QCOMPARE(static_cast<bool>(item->flags() & Qt::ItemIsEditable), !lacking && choosable);
            }
            if (level.voltage)
                QCOMPARE(table->itemOf({level.id, LevelField::Voltage})->text(),
                         QString::fromStdString(fixedHundredthsText(*level.voltage)));
            for (int k = 0; k < copyRows; ++k) {
                const LevelCell copy{level.id, LevelField::MemoryCopy, k};
                const QTableWidgetItem* item = table->itemOf(copy);
                QVERIFY2(item && item->row() == row + 1 + k, levelCellName(copy).c_str());
                QCOMPARE(item->text(), QString::fromStdString(valueText(
                                           *levels, copy, level.memory[static_cast<std::size_t>(k)].value)));
                QVERIFY(item->flags() & Qt::ItemIsEditable);
                QCOMPARE(table->isRowHidden(item->row()), !table->copiesShown(level.id));
            }
        }
        QCOMPARE(table->rowCount(), rows);
    }

    // A level's cell edits as a box does: each keystroke goes to the model, the box that shows the
    // same value follows at once and the other way round, the changed value is bold with the file's
    // in its tool tip, the status bar says where it lives; Revert Field, undo and redo take it back.
    void aLevelCellEditsLikeTheBoxThatShowsItsValue() {
        openThroughMenu("fx5950-ultra.rom");
        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        const LevelCell core{0x80, LevelField::Core};
        QCOMPARE(model().linkedControl(core), std::optional<Control>(Control::Core3D));
        QLineEdit* line = typeIntoLevel(core, QStringLiteral("500"));
        QTableWidgetItem* item = levelsTable()->itemOf(core);
        QCOMPARE(model().levelText(core), std::string("500"));
        QCOMPARE(edit(3)->text(), QStringLiteral("500"));
        QCOMPARE(item->text(), QStringLiteral("500"));
        QVERIFY(item->font().bold());
        QVERIFY(line->font().bold());
        QVERIFY(edit(3)->font().bold());
        QVERIFY(item->toolTip().contains(QStringLiteral("In the file: 475 MHz.")));
        QVERIFY(main()->windowTitle().endsWith(QLatin1Char('*')));
        const std::int32_t offset = model().levels()->find(0x80)->core.offset;
        QVERIFY(statusMessage().contains(QString::fromStdString(hexOffset(offset))));

        edit(3)->setFocus(Qt::MouseFocusReason);
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), QStringLiteral("450"));
        QCOMPARE(item->text(), QStringLiteral("450"));
        QVERIFY(item->font().bold());
        action(main(), "Undo")->trigger();
        QCOMPARE(item->text(), QStringLiteral("500"));
        QCOMPARE(edit(3)->text(), QStringLiteral("500"));

        levelsTable()->setFocus(Qt::MouseFocusReason);
        levelsTable()->setCurrentItem(item);
        QVERIFY(action(main(), "RevertField")->isEnabled());
        action(main(), "RevertField")->trigger();
        QCOMPARE(item->text(), QStringLiteral("475"));
        QCOMPARE(edit(3)->text(), QStringLiteral("475"));
        QVERIFY(!item->font().bold());
        action(main(), "Undo")->trigger();
        QCOMPARE(item->text(), QStringLiteral("500"));
        action(main(), "RevertAll")->trigger();
        QCOMPARE(item->text(), QStringLiteral("475"));
        QVERIFY(!main()->windowTitle().endsWith(QLatin1Char('*')));
    }

    // A level's voltage is chosen among the voltage table's entries; the list that sets the same
    // voltage follows.
    void aLevelsVoltageIsChosenFromTheTable() {
        openThroughMenu("fx5950-ultra.rom");
        const LevelCell voltage{0x60, LevelField::Voltage};
        auto* choice = qobject_cast<QComboBox*>(openLevelEditor(voltage));
        QVERIFY(choice);
        QStringList expected;
        for (const std::uint8_t entry : model().levels()->tableVoltages)
            expected << QString::fromStdString(fixedHundredthsText(entry));
        QStringList offered;
        for (int i = 0; i < choice->count(); ++i)
            offered << choice->itemText(i);
        QCOMPARE(offered, expected);
        QCOMPARE(choice->currentText(), QStringLiteral("1.30"));
        const int highest = static_cast<int>(expected.size()) - 1;
        choice->setCurrentIndex(highest);
        emit choice->activated(highest);
        QCOMPARE(model().levelText(voltage), expected.back().toStdString());
        QTableWidgetItem* item = levelsTable()->itemOf(voltage);
        QCOMPARE(item->text(), expected.back());
        QVERIFY(item->font().bold());
        const std::optional<Control> linked = model().linkedControl(voltage);
        QVERIFY(linked);
        const ControlInfo& info = controlInfo(*linked);
        auto* list = child<QComboBox>(main(), std::string(info.objectName).c_str());
        QCOMPARE(list->currentIndex(), model().form().combo(*linked).selected);
        QVERIFY(list->font().bold());
        action(main(), "Undo")->trigger();
        QCOMPARE(item->text(), QStringLiteral("1.30"));
        QVERIFY(!list->font().bold());
    }

    // A level's text the save would refuse is marked as it is typed, in the editor and in its cell,
    // with the save's reason in the tool tip and the status bar.
    void aRefusedLevelValueIsMarkedAsItIsTyped() {
        openThroughMenu("fx5950-ultra.rom");
        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        levelsTable()->setCopiesShown(0x20, true);
        const LevelCell copy{0x20, LevelField::MemoryCopy, 3};
        QLineEdit* line = typeIntoLevel(copy, QStringLiteral("48x"));
        const QString reason = QString::fromStdString(model().levelRefusal(copy));
        QVERIFY(!reason.isEmpty());
        QTableWidgetItem* item = levelsTable()->itemOf(copy);
        QVERIFY(line->property("refused").toBool());
        QVERIFY(line->palette().color(QPalette::Text) != main()->palette().color(QPalette::Text));
        QVERIFY(item->data(LevelsEditor::kRefusedRole).toBool());
        QVERIFY(item->toolTip().startsWith(reason));
        QCOMPARE(statusMessage(), reason);
        QTest::keyClick(line, Qt::Key_Backspace);
        QVERIFY(!line->property("refused").toBool());
        QVERIFY(!item->data(LevelsEditor::kRefusedRole).toBool());
        QCOMPARE(statusMessage(), QString::fromStdString(model().levelPlaceOf(copy)));
    }

    // A level's copies show beneath it on a click of its copies cell; a copy that holds another
    // clock than the level's is marked, and a level whose copy comes to differ shows its copies.
    void theCopiesShowOnAClickAndOneThatDiffersIsMarked() {
        openThroughMenu("fx5950-ultra.rom");
        LevelsEditor* table = levelsTable();
        const int row = table->itemOf({0x20, LevelField::Core})->row();
        const QTableWidgetItem* copies = table->item(row, LevelsEditor::CopiesColumn);
        const LevelCell copy{0x20, LevelField::MemoryCopy, 3};
        QVERIFY(!table->copiesShown(0x20));
        QVERIFY(table->isRowHidden(table->itemOf(copy)->row()));
        const auto click = [&] {
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(copies).center());
        };
        click();
        QVERIFY(table->copiesShown(0x20));
        QVERIFY(!table->isRowHidden(table->itemOf(copy)->row()));
        QVERIFY(!copies->text().contains(QChar(0x2260)));
        typeIntoLevel(copy, QStringLiteral("480"));
        QVERIFY(model().levelCopyDiffers(copy));
        QVERIFY(table->itemOf(copy)->font().italic());
        QVERIFY(table->item(table->itemOf(copy)->row(), LevelsEditor::LevelColumn)
                    ->text()
                    .contains(QChar(0x2260)));
        QVERIFY(copies->text().contains(QChar(0x2260)));
        QVERIFY(!table->itemOf({0x20, LevelField::MemoryCopy, 2})->font().italic());
        click();
        QVERIFY(!table->copiesShown(0x20));
        const LevelCell other{0x60, LevelField::MemoryCopy, 5};
        QVERIFY(!table->copiesShown(0x60));
        windows->TarvEdit.runAction([&] { (void)model().setLevelText(other, "480"); });
        QVERIFY(table->copiesShown(0x60));
        QVERIFY(!table->isRowHidden(table->itemOf(other)->row()));
    }

    // The structure window marks the bytes a level's value would write, and a save writes them.
    void theStructureWindowMarksALevelsPendingBytes() {
        openThroughMenu("fx5950-ultra.rom");
        action(main(), "BiosStructure")->trigger();
        levelsTable()->setCopiesShown(0x20, true);
        const LevelCell copy{0x20, LevelField::MemoryCopy, 3};
        typeIntoLevel(copy, QStringLiteral("480"));
        const std::map<std::int32_t, std::uint8_t> pending = structureWindow()->hexView()->pending();
        const std::vector<LevelPlace> places = cellPlaces(*model().levels(), copy);
        QCOMPARE(places.size(), std::size_t{1});
        const std::int32_t checksum =
            static_cast<std::int32_t>(structureWindow()->hexView()->bytes().size() - 1);
        bool marked = false;
        for (const auto& [offset, value] : pending) {
            const bool inCopy = offset >= places[0].offset && offset < places[0].offset + places[0].width;
            QVERIFY2(inCopy || offset == checksum, qPrintable(QString::number(offset, 16)));
            marked = marked || inCopy;
        }
        QVERIFY(marked);
        services->saveAnswers.push_back(SaveChoice{dir->file("mod.rom").string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        const std::vector<std::uint8_t> saved = test::readBytes(dir->file("mod.rom"));
        for (const auto& [offset, value] : pending)
            QCOMPARE(saved.at(static_cast<std::size_t>(offset)), value);
        const ImageAnalysis after = analyseImage(BiosImage(saved));
        QVERIFY(after.levels);
        QCOMPARE(after.levels->find(0x20)->memory.at(3).value, 48000u); // hundredths of MHz
        QVERIFY(structureWindow()->hexView()->pending().empty());
    }

    // The status bar shows the image check; a box the user moves to shows where its value lives,
    // and leaving it brings the check back. The bar adds its height below the unchanged form.
    void statusBarShowsTheImageCheckAndWhereAFieldLives() {
        auto* bar = child<QStatusBar>(main(), "StatusBar");
        auto* line = child<QLabel>(main(), "ImageCheck");
        QCOMPARE(line->text(), QStringLiteral("No image open"));
        QCOMPARE(bar->geometry().top(), windows->TarvEdit.centralWidget()->geometry().bottom() + 1);

        openThroughMenu("fx5700.rom");
        QCOMPARE(line->text(), QStringLiteral("Image check passed: 64 KiB option ROM, checksum correct"));
        auto* structure = child<QLabel>(main(), "StructureCheck");
        QCOMPARE(structure->text(), QStringLiteral("Tables confirmed by the BIOS structure"));
        QVERIFY(structure->toolTip().contains(
            QStringLiteral("The voltage table at 1000h is where the BIOS structure")));
        QVERIFY(!structure->font().bold());
        QVERIFY(line->toolTip().contains(QStringLiteral("The vendor is NVIDIA (10DE).")));

        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        edit(4)->setFocus(Qt::TabFocusReason);
        QCOMPARE(bar->currentMessage(),
                 QStringLiteral("2D memory clock: 8 fields, 2007h to 2023h (level 20h, 8 copies)"));
        QVERIFY(line->isHidden());
        child<QComboBox>(main(), "ComboBox3")->setFocus(Qt::MouseFocusReason);
        QCOMPARE(bar->currentMessage(), QStringLiteral("3D voltage: 20ACh (level 80h)"));
        child<QCheckBox>(main(), "CheckBox2")->setFocus(Qt::TabFocusReason);
        QVERIFY(bar->currentMessage().isEmpty());
        QVERIFY(!line->isHidden());

        // A damaged checksum is named, and the line says what to do.
        std::vector<std::uint8_t> damaged = openDamaged();
        const auto path = dir->file("damaged.rom");
        QVERIFY2(line->text().startsWith(QStringLiteral("Warning: checksum off")), qPrintable(line->text()));
        // However long the lines, the window keeps the form's width.
        QCOMPARE(main()->width(), windows->TarvEdit.centralWidget()->width());
        QVERIFY(line->text().contains(QStringLiteral("read the BIOS again with the card's flash tool")));
        QVERIFY(line->font().bold());
        // Without a BMP the second part says the tables were not checked.
        QCOMPARE(structure->text(), QStringLiteral("Tables confirmed by the BIOS structure"));
        damaged[0x300] = 0x00;
        test::writeBytes(path, damaged);
        services->openAnswers.push_back(QString::fromStdString(path.string()));
        action(main(), "OpenBIOS1")->trigger();
        QCOMPARE(structure->text(), QStringLiteral("Not checked: no BMP or BIT structure"));
    }

    // A save the BIOS structure speaks against asks first, with the reasons; Cancel writes nothing.
    void aContradictedSaveAsksBeforeWriting() {
        // A second voltage table behind the first: the editor finds it, the BMP points to the first.
        std::vector<std::uint8_t> decoy = test::sampleBytes("fx5700.rom");
        std::copy(decoy.begin() + 0x1000, decoy.begin() + 0x100B, decoy.begin() + 0x1100);
        decoy[0x1105] = 0x50;
        std::uint8_t sum = 0;
        for (std::size_t i = 0; i + 1 < decoy.size(); ++i)
            sum = static_cast<std::uint8_t>(sum + decoy[i]);
        decoy.back() = static_cast<std::uint8_t>(0x100 - sum); // a sound dump
        const auto decoyPath = dir->file("decoy.rom");
        test::writeBytes(decoyPath, decoy);
        services->openAnswers.push_back(QString::fromStdString(decoyPath.string()));
        action(main(), "OpenBIOS1")->trigger();
        auto* list = child<QComboBox>(main(), "ComboBox3");
        list->setCurrentIndex(1);
        emit list->activated(1);
        services->saveAnyway = false;
        const auto target = dir->file("out.rom");
        services->saveAnswers.push_back(SaveChoice{target.string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        QCOMPARE(services->saveQuestions.size(), 1);
        QVERIFY2(services->saveQuestions[0].contains(QStringLiteral("found at 1100h")),
                 qPrintable(services->saveQuestions[0]));
        QVERIFY(!std::filesystem::exists(target));
        QVERIFY(services->messages.empty());
    }

    // A dump whose checksum was wrong when it was opened is said on open, and a save asks first,
    // naming the fault; Cancel writes nothing and leaves the window as it was.
    void aDamagedDumpIsSaidOnOpenAndSavedOnlyWithConsent() {
        openDamaged();
        QVERIFY(!services->messages.empty());
        QVERIFY(QString::fromStdString(services->messages.back().text)
                    .startsWith(QStringLiteral("This file failed the image check: checksum off")));
        edit(3)->setText(QStringLiteral("300"));
        emit edit(3)->textEdited(QStringLiteral("300"));
        const QString title = main()->windowTitle();
        const QString file = child<QLabel>(main(), "Pfad")->text();
        services->saveAnyway = false;
        const auto target = dir->file("out.rom");
        services->saveAnswers.push_back(SaveChoice{target.string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        QCOMPARE(services->saveQuestions.size(), 1);
        QVERIFY(services->saveQuestions[0].startsWith(QString::fromLatin1(kSaveDamagedDump)));
        QVERIFY(services->saveQuestions[0].contains(QStringLiteral("read the BIOS from the card again")));
        QVERIFY(!std::filesystem::exists(target));
        QCOMPARE(main()->windowTitle(), title);
        QCOMPARE(child<QLabel>(main(), "Pfad")->text(), file);
    }

    // Every check, readable and selectable, from the Info menu and from a click on the status bar.
    void theChecksWindowListsEveryCheck() {
        openThroughMenu("fx5700.rom");
        action(main(), "Checks1")->trigger();
        auto* window = child<QDialog>(main(), "ChecksWindow");
        QVERIFY(window->isVisible());
        auto* text = child<QPlainTextEdit>(window, "ChecksText");
        QVERIFY(text->isReadOnly());
        QVERIFY(text->toPlainText().contains(QStringLiteral("The vendor is NVIDIA (10DE).")));
        QVERIFY(text->toPlainText().contains(QStringLiteral("Tables confirmed by the BIOS structure")));
        window->hide();
        QTest::mouseClick(child<QLabel>(main(), "ImageCheck"), Qt::LeftButton);
        QVERIFY(window->isVisible());
    }

    // The structure line leads to the structure window rather than to the list of checks.
    void theStructureLineOpensTheStructureWindow() {
        openThroughMenu("fx5700.rom");
        QTest::mouseClick(child<QLabel>(main(), "StructureCheck"), Qt::LeftButton);
        QVERIFY(structureWindow()->isVisible());
    }

    void theStructureTreeShowsTheSamplesParts_data() {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("header");
        QTest::newRow("BMP") << QStringLiteral("fx5700.rom") << QStringLiteral("BMP structure");
        QTest::newRow("BIT") << QStringLiteral("gf6800-ultra.rom") << QStringLiteral("BIT structure");
    }
    void theStructureTreeShowsTheSamplesParts() {
        QFETCH(QString, sample);
        QFETCH(QString, header);
        openThroughMenu(sample.toStdString());
        action(main(), "BiosStructure")->trigger();
        const RomStructure& structure = windows->TarvEdit.model().analysis().structure;
        QTreeWidget* tree = structureWindow()->tree();
        QVERIFY(!tree->findItems(header, Qt::MatchExactly).isEmpty());
        QTreeWidgetItem* levels = topItem(tree, "Performance levels");
        QCOMPARE(static_cast<std::size_t>(levels->childCount()), structure.perf->levels.size());
        QVERIFY(levels->child(0)->text(1).contains(QStringLiteral("core")));
        QCOMPARE(static_cast<std::size_t>(topItem(tree, "Voltage table")->childCount()),
                 structure.voltage->entries.size());
        QVERIFY(topItem(tree, "Voltage table")->child(0)->text(1).contains(QStringLiteral("VID")));
        QTreeWidgetItem* verdicts = topItem(tree, "Tables against the structure");
        QVERIFY(verdicts->childCount() > 0);
        const std::vector<Finding>& findings = windows->TarvEdit.model().structureCheck().findings;
        QCOMPARE(static_cast<std::size_t>(verdicts->childCount()), findings.size());
        for (int i = 0; i < verdicts->childCount(); ++i)
            QVERIFY(verdicts->child(i)->text(1).startsWith(QString::fromStdString(
                agreementName(findings[static_cast<std::size_t>(i)].severity) + ": ")));
        // The hex view holds the whole image.
        QCOMPARE(structureWindow()->hexView()->bytes(), windows->TarvEdit.model().analysis().image.bytes());
    }

    // A node selects its bytes and scrolls them into view, far into the image as well.
    void selectingANodeMovesTheHexViewToItsBytes() {
        openThroughMenu("fx5700.rom");
        action(main(), "BiosStructure")->trigger();
        const PerfLevel& top = windows->TarvEdit.model().analysis().structure.perf->levels.back();
        QTreeWidgetItem* level = topItem(structureWindow()->tree(), "Performance levels")->child(2);
        QTreeWidgetItem* core = level->child(0);
        QCOMPARE(core->text(0), QStringLiteral("Core clock"));
        HexView* hex = structureWindow()->hexView();
        structureWindow()->tree()->setCurrentItem(core);
        QCOMPARE(hex->selection(), (std::vector<ByteSpan>{{top.core.offset, top.core.width}}));
        QVERIFY(hex->showsOffset(top.core.offset));
        structureWindow()->tree()->setCurrentItem(level);
        QCOMPARE(hex->selection().front().offset, top.offset);
        // The last byte of the image, from the first image's node, scrolls back up to its start.
        QTreeWidgetItem* image = topItem(structureWindow()->tree(), "Option-ROM images")->child(0);
        const auto last = static_cast<std::int32_t>(hex->bytes().size() - 1);
        hex->goToOffset(last);
        QVERIFY(hex->showsOffset(last));
        QVERIFY(!hex->showsOffset(0));
        structureWindow()->tree()->setCurrentItem(image);
        QVERIFY(hex->showsOffset(0));
    }

    // The box the user gives the focus selects the bytes of its value, every copy.
    void aFocusedBoxSelectsItsBytes() {
        openThroughMenu("fx5700.rom");
        action(main(), "BiosStructure")->trigger();
        for (const Control box : {Control::Core3D, Control::Mem2D}) {
            QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
            QApplication::sendEvent(edit(static_cast<int>(controlInfo(box).index) + 1), &focus);
            std::vector<ByteSpan> expected;
            for (const FieldPlace& place : valuePlaces(windows->TarvEdit.model().analysis()))
                if (place.field == box.field())
                    for (const std::int32_t at : place.offsets)
                        expected.push_back({at, placeWidth(place.kind)});
            QVERIFY(!expected.empty());
            QCOMPARE(structureWindow()->hexView()->selection(), expected);
        }
    }

    // An unsaved edit shows the bytes a save would write there; a save makes them the image's.
    void anUnsavedEditShowsItsNewBytes() {
        openThroughMenu("fx5200.rom");
        action(main(), "BiosStructure")->trigger();
        QVERIFY(structureWindow()->hexView()->pending().empty());
        edit(3)->setFocus();
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), "260"); // 26000 hundredths: 90 65
        const std::map<std::int32_t, std::uint8_t>& pending = structureWindow()->hexView()->pending();
        const std::int32_t at = 0x2003;
        QCOMPARE(pending.count(at), std::size_t{1});
        QCOMPARE(pending.at(at), std::uint8_t{0x90});
        QCOMPARE(pending.at(at + 1), std::uint8_t{0x65});
        QVERIFY(pending.count(static_cast<std::int32_t>(structureWindow()->hexView()->bytes().size() - 1)));
        services->saveAnswers.push_back(SaveChoice{dir->file("mod.rom").string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        QVERIFY(structureWindow()->hexView()->pending().empty());
        QCOMPARE(structureWindow()->hexView()->bytes()[at], std::uint8_t{0x90});
    }

    // With the structure window open beside the window's own preview of the levels, each keystroke
    // plans the save once: every reader shows the one pending plan.
    void aKeystrokePlansTheSaveOnceWithTheStructureWindowOpen() {
        openThroughMenu("fx5700.rom");
        action(main(), "BiosStructure")->trigger();
        QVERIFY(structureWindow()->isVisible());
        edit(3)->setFocus();
        edit(3)->selectAll();
        const std::size_t before = windows->TarvEdit.model().savesPlanned();
        QTest::keyClicks(edit(3), "42");
        QCOMPARE(windows->TarvEdit.model().savesPlanned(), before + 2);
        QVERIFY(!structureWindow()->hexView()->pending().empty());
    }

    // Comparing the image with a copy saved from it lists exactly that save's changes.
    void compareWithASavedCopyListsTheChangesOfThatSave() {
        openThroughMenu("fx5700.rom");
        edit(3)->setFocus();
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), "480");
        auto* voltage3d = child<QComboBox>(main(), "ComboBox3");
        voltage3d->setCurrentIndex(0);
        emit voltage3d->activated(0);
        services->saveAnswers.push_back(SaveChoice{dir->file("saved.rom").string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        const std::vector<std::string> saved = windows->TarvEdit.model().lastSave()->changeLines();
        QVERIFY(saved.size() >= 3);
        services->unsavedAnswers.push_back(UnsavedChanges::Discard);
        openThroughMenu("fx5700.rom");
        services->chosenFiles.push_back(QString::fromStdString(dir->file("saved.rom").string()));
        action(main(), "CompareWith")->trigger();
        ComparisonWindow* compared = windows->TarvEdit.structureAndComparison().comparisonWindow();
        QVERIFY(compared->isVisible());
        QStringList expected;
        for (const std::string& line : saved)
            expected << QString::fromStdString(line);
        QCOMPARE(compared->rowTexts(), expected);
        // A row leads to its bytes in both images.
        compared->rows()->setCurrentItem(compared->rows()->topLevelItem(0));
        QVERIFY(!compared->openView()->selection().empty());
        QCOMPARE(compared->openView()->selection(), compared->otherView()->selection());
        QVERIFY(compared->identity()->text().contains(QStringLiteral("Same device")));
        // Each hex view under the name of its file.
        QCOMPARE(compared->openName()->text(), QStringLiteral("fx5700.rom"));
        QCOMPARE(compared->otherName()->text(), QStringLiteral("saved.rom"));
        QVERIFY(compared->openName()->isVisible() && compared->otherName()->isVisible());
        QVERIFY(compared->openName()->mapTo(compared, QPoint(0, 0)).y() <
                compared->openView()->mapTo(compared, QPoint(0, 0)).y());
        QCOMPARE(compared->openName()->mapTo(compared, QPoint(0, 0)).x(),
                 compared->openView()->mapTo(compared, QPoint(0, 0)).x());
        QCOMPARE(compared->otherName()->mapTo(compared, QPoint(0, 0)).x(),
                 compared->otherView()->mapTo(compared, QPoint(0, 0)).x());

        // Another card's image: what tells them apart comes first, loud.
        services->chosenFiles.push_back(writeSample("gf6800-ultra.rom"));
        action(main(), "CompareWith")->trigger();
        QVERIFY(compared->identity()->text().startsWith(QStringLiteral("<b>device: 10DE:0341")));
    }

    // Export Settings proposes NAME-settings.json beside the open file, adds .json to a name without
    // an extension, and writes every value the card has, the timings too, as the command line's
    // export does; the window stays as the user left it.
    void exportedSettingsAreNamedAfterTheFileAndHoldEveryValue() {
        const QString image = writeSample("fx5700.rom");
        services->openAnswers.push_back(image);
        action(main(), "OpenBIOS1")->trigger();
        const QString chosen = QString::fromStdString(dir->file("exported").string());
        services->chosenFiles.push_back(chosen);
        action(main(), "ExportSettings")->trigger();
        QCOMPARE(services->chosenProposals,
                 QStringList{QString::fromStdString(dir->file("fx5700-settings.json").string())});
        QVERIFY(!QFileInfo::exists(chosen));
        const std::vector<std::uint8_t> written = test::readBytes(dir->file("exported.json"));
        test::Editor expected;
        expected.open(test::sampleBytes("fx5700.rom"), "fx5700.rom");
        expected.model.setChecked(Control::TimingEdit, true);
        const std::string wanted = settingsText(settingsShown(expected.model));
        QVERIFY(wanted.find("\"timings\"") != std::string::npos);
        QCOMPARE(std::string(written.begin(), written.end()), wanted);
        QVERIFY(!child<QCheckBox>(main(), "CheckBox2")->isChecked());
        QVERIFY(!edit(7)->isEnabled());
        QVERIFY(!main()->windowTitle().endsWith(QLatin1Char('*')));
    }

    // Settings exported from an edit and applied to the original show their values as unsaved
    // edits and the change list a save would make; another card's are applied only when asked.
    void appliedSettingsShowTheirChangesBeforeASave() {
        openThroughMenu("fx5950-ultra.rom");
        edit(3)->setFocus();
        edit(3)->selectAll();
        QTest::keyClicks(edit(3), "500");
        const QString settingsFile = QString::fromStdString(dir->file("s.json").string());
        services->chosenFiles.push_back(settingsFile);
        action(main(), "ExportSettings")->trigger();
        services->unsavedAnswers.push_back(UnsavedChanges::Discard);
        openThroughMenu("fx5950-ultra.rom");
        QCOMPARE(edit(3)->text(), QStringLiteral("475"));
        services->chosenFiles.push_back(settingsFile);
        action(main(), "ApplySettings")->trigger();
        QCOMPARE(edit(3)->text(), QStringLiteral("500"));
        QVERIFY(main()->windowTitle().endsWith(QLatin1Char('*')));
        QVERIFY(services->told.back().contains(QStringLiteral("3D core clock: 475 -> 500 MHz")));
        QVERIFY(services->asked.isEmpty());

        services->unsavedAnswers.push_back(UnsavedChanges::Discard);
        openThroughMenu("fx5900-xt.rom");
        const QString before = edit(3)->text();
        services->chosenFiles.push_back(settingsFile);
        services->answerYes = false;
        action(main(), "ApplySettings")->trigger();
        QCOMPARE(services->asked.size(), 1);
        QVERIFY(services->asked.front().contains(QStringLiteral("10DE:0333")));
        QCOMPARE(edit(3)->text(), before);
    }

    void dialogLinksPointAtShippedGuides() {
        auto* reading = child<TKydUrlLabel>(&windows->Form1, "KydUrlLabel1");
        QVERIFY(reading->URL.endsWith(QStringLiteral("guide-reading-bios.md")));
        QVERIFY(QFileInfo::exists(QUrl(reading->URL).toLocalFile()));
        auto* releases = child<TKydUrlLabel>(&windows->Form2, "KydUrlLabel2");
        QVERIFY(releases->URL.isEmpty());
        QVERIFY(QFileInfo::exists(QUrl(releases->text()).toLocalFile()));
    }
    // Ctrl+Z in a box undoes through the window's history (lists and ticks too), and the changed
    // fields are bold with what the file holds in their tool tips.
    void undoRevertAndTheMarksOfChangedFields() {
        openThroughMenu("fx5600.rom");
        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        QLineEdit* core = edit(3);
        core->setFocus(Qt::MouseFocusReason);
        core->selectAll();
        QTest::keyClicks(core, QStringLiteral("400"));
        QCOMPARE(windows->TarvEdit.model().form().edit(Control::Core3D).text, std::string("400"));
        QVERIFY(core->font().bold());
        QVERIFY(core->toolTip().contains(QStringLiteral("In the file: 325 MHz.")));
        QVERIFY(action(main(), "RevertField")->isEnabled());
        QTest::keySequence(core, QKeySequence::Undo);
        QCOMPARE(core->text(), QStringLiteral("325"));
        QVERIFY(!core->font().bold());
        QVERIFY(action(main(), "Redo")->isEnabled());
        action(main(), "Redo")->trigger();
        QCOMPARE(core->text(), QStringLiteral("400"));

        auto* list = child<QComboBox>(main(), "ComboBox3");
        const int voltage = list->currentIndex();
        windows->TarvEdit.model().selectEntry(Control::Voltage3D, voltage == 0 ? 1 : 0);
        child<QCheckBox>(main(), "CheckBox2")->click();
        edit(7)->setText(QStringLiteral("9"));
        emit edit(7)->textEdited(QStringLiteral("9"));
        action(main(), "RevertAll")->trigger();
        QCOMPARE(core->text(), QStringLiteral("325"));
        QCOMPARE(list->currentIndex(), voltage);
        QVERIFY(!child<QCheckBox>(main(), "CheckBox2")->isChecked());
        QVERIFY(!main()->windowTitle().endsWith(QLatin1Char('*')));
        action(main(), "Undo")->trigger();
        QCOMPARE(core->text(), QStringLiteral("400"));
    }

    // A text the save would refuse is marked as it is typed, with the save's reason in the tool tip
    // and the status bar; the save still refuses it.
    void aRefusedValueIsMarkedAsItIsTyped() {
        openThroughMenu("fx5600.rom");
        main()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main()));
        QLineEdit* core = edit(3);
        core->setFocus(Qt::TabFocusReason);
        core->selectAll();
        QTest::keyClicks(core, QStringLiteral("700"));
        const QString reason = QStringLiteral("3D core clock is 700; it must be 0 to 655 MHz.");
        QVERIFY(core->property("refused").toBool());
        QVERIFY(core->palette().color(QPalette::Text) != main()->palette().color(QPalette::Text));
        QVERIFY(core->toolTip().startsWith(reason));
        QCOMPARE(child<QStatusBar>(main(), "StatusBar")->currentMessage(), reason);
        QTest::keyClick(core, Qt::Key_Backspace);
        QVERIFY(!core->property("refused").toBool());
        QTest::keyClicks(core, QStringLiteral("0"));
        services->saveAnswers.push_back(SaveChoice{dir->file("out.rom").string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        QCOMPARE(QString::fromStdString(services->messages.back().detail), reason);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir->file("out.rom").string())));
    }

    // 550 MHz memory on a 250 MHz card and 650 MHz core on a 325 MHz one are questioned first.
    void riskyValuesAreQuestionedBeforeTheSave() {
        openThroughMenu("fx5600.rom");
        for (const auto& [box, text] :
             {std::pair{4, QStringLiteral("550")}, std::pair{3, QStringLiteral("650")}}) {
            edit(box)->setText(text);
            emit edit(box)->textEdited(text);
        }
        services->saveAnyway = false;
        services->saveAnswers.push_back(SaveChoice{dir->file("out.rom").string(), kRomFilterEntry});
        action(main(), "SaveBIOS1")->trigger();
        QCOMPARE(services->saveQuestions.size(), 1);
        QVERIFY(services->saveQuestions[0].startsWith(QString::fromLatin1(kSaveRiskyValues)));
        QVERIFY(
            services->saveQuestions[0].contains(QStringLiteral("650 MHz is 100% above the file's 325 MHz")));
        QVERIFY(services->saveQuestions[0].contains(QStringLiteral("effective (DDR) rate")));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(dir->file("out.rom").string())));
        QVERIFY(main()->windowTitle().endsWith(QLatin1Char('*')));
    }

    // Opened and saved files go to File > Open Recent, newest first and at most eight; the dialogs
    // start in the last folder, and the save proposes NAME-mod.rom beside the open file.
    void recentFilesAndTheProposedName() {
        QVERIFY(!child<QMenu>(main(), "OpenRecent")->isEnabled());
        QStringList opened;
        for (int i = 0; i < 9; ++i) {
            const auto path = dir->file("card" + std::to_string(i) + ".rom");
            test::writeBytes(path, test::sampleBytes("fx5600.rom"));
            opened.prepend(QString::fromStdString(path.string()));
            services->openAnswers.push_back(opened.front());
            action(main(), "OpenBIOS1")->trigger();
        }
        const QStringList recent = windows->TarvEdit.recentFiles();
        QCOMPARE(recent, opened.mid(0, 8));
        QCOMPARE(services->openFolders.back(), QString::fromStdString(dir->path().string()));
        auto* menu = child<QMenu>(main(), "OpenRecent");
        QCOMPARE(menu->actions().size(), 8 + 2);
        QVERIFY(menu->actions().constFirst()->text().endsWith(QStringLiteral("card8.rom")));
        // An entry opens its file.
        menu->actions().at(3)->trigger();
        QCOMPARE(child<QLabel>(main(), "Pfad")->text(), opened.at(3));
        action(main(), "SaveBIOS1")->trigger(); // cancelled: only the proposal is looked at
        QCOMPARE(services->proposals.back(), QString::fromStdString(dir->file("card5-mod.rom").string()));
        action(main(), "ClearRecent")->trigger();
        QVERIFY(windows->TarvEdit.recentFiles().isEmpty());
        QVERIFY(!menu->isEnabled());
    }

    // The guides open inside the program, from the Help menu and from the "How do I ?" links.
    void theHelpWindowShowsTheGuides() {
        action(main(), "Guides")->trigger();
        auto* help = child<QDialog>(main(), "HelpWindow");
        QVERIFY(help->isVisible());
        auto* text = child<QTextBrowser>(help, "HelpText");
        QVERIFY(text->toPlainText().contains(QStringLiteral("Reading the BIOS from your card")));
        help->hide();
        auto* reading = child<TKydUrlLabel>(&windows->Form1, "KydUrlLabel1");
        windows->Form1.showInFront();
        QTest::mouseClick(reading, Qt::LeftButton);
        QVERIFY(help->isVisible());
        QVERIFY(text->source().toString().endsWith(QStringLiteral("guide-reading-bios.md")));
        QVERIFY(text->toPlainText().startsWith(QStringLiteral("Reading the BIOS from your card")));
        QVERIFY(!text->toPlainText().contains(QStringLiteral("# Reading")));
    }
    // In a dark palette (set here, not a style sheet) the marks stay readable: the red of a refused
    // value stands apart from the box's dark base. With ZFX_SCREENSHOT_DIR set, the window is saved
    // there as the README's dark screenshot.
    void theMarksReadInADarkPalette() {
        QPalette dark;
        for (const auto& [role, colour] : std::initializer_list<std::pair<QPalette::ColorRole, QColor>>{
                 {QPalette::Window, QColor(45, 45, 48)},
                 {QPalette::WindowText, QColor(230, 230, 230)},
                 {QPalette::Base, QColor(30, 30, 32)},
                 {QPalette::AlternateBase, QColor(50, 50, 54)},
                 {QPalette::Text, QColor(230, 230, 230)},
                 {QPalette::Button, QColor(60, 60, 64)},
                 {QPalette::ButtonText, QColor(230, 230, 230)},
                 {QPalette::ToolTipBase, QColor(60, 60, 64)},
                 {QPalette::ToolTipText, QColor(230, 230, 230)},
                 {QPalette::Highlight, QColor(42, 130, 218)},
                 {QPalette::HighlightedText, Qt::white},
                 {QPalette::Link, QColor(110, 170, 255)},
                 {QPalette::LinkVisited, QColor(190, 150, 255)}})
            dark.setColor(role, colour);
        dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
        dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
        dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
        main()->setPalette(dark);
        openThroughMenu("fx5600.rom");
        edit(3)->setText(QStringLiteral("700"));
        emit edit(3)->textEdited(QStringLiteral("700"));
        edit(4)->setText(QStringLiteral("275"));
        emit edit(4)->textEdited(QStringLiteral("275"));
        const QColor refused = edit(3)->palette().color(QPalette::Text);
        QVERIFY(refused.red() > refused.green() + 60);
        QVERIFY(qAbs(refused.lightness() - dark.color(QPalette::Base).lightness()) > 80);
        QVERIFY(edit(4)->font().bold());
        QCOMPARE(edit(4)->palette().color(QPalette::Text), dark.color(QPalette::Text));
        QApplication::processEvents(); // the layout takes the levels' table in
        for (QWidget* levels : {static_cast<QWidget*>(child<QLabel>(main(), "PerformanceLevels")),
                                static_cast<QWidget*>(levelsTable())})
            QVERIFY(levels->height() >= levels->sizeHint().height() &&
                    levels->width() >= levels->sizeHint().width());
        const QString shots = qEnvironmentVariable("ZFX_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            QVERIFY(main()->grab().save(QDir(shots).filePath(QStringLiteral("screenshot-dark.png"))));
    }
};

QTEST_MAIN(GuiTest)
#include "gui_test.moc"
