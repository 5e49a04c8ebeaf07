// What the main window does, under the offscreen platform: start-up, search
// as you type, picking from the list, copying, keyboard and menus. How it
// looks is in tst_window_look.cpp.

#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QAbstractItemView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>

#include <cstdio>

#include <unistd.h>

class TestWindow : public QObject, public WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void startupListsEveryModel();
    void startupFailures_data();
    void startupFailures();
    void catalogueComesFromWorkingDirectory();

    void typingNarrowsTheList();
    void listFollowsEverySearch();
    void noMatchEmptiesEverything();
    void deletingTheTextListsAllAgain();
    void pasteCutAndUndoSearch();
    void pickingWithTheMouse();
    void pickingWithArrowKeys();
    void pickingWithTheWheel();
    void pickingAnEmptyDirectory();
    void staleMatchDirsNeverShow();
    void typingIntoTheComboPicksNothing_data();
    void typingIntoTheComboPicksNothing();
    void typedTextNeverBecomesAnItem();

    void copyPutsThePathOnTheClipboard();
    void copyOfEmptyPathClearsTheClipboard();
    void copyTakesHandEdits();
    void copyWaitsForABusyClipboard_data();
    void copyWaitsForABusyClipboard();
    void copyOvertakenDuringTheLastAttempt();
    void pastedTextKeepsItsFirstLine_data();
    void pastedTextKeepsItsFirstLine();
    void longNamesStayWhole();

    void ctrlXExitsFromEveryEditor_data();
    void ctrlXExitsFromEveryEditor();
    void menus();
    void accessKeysRunExit();
    void aboutBox();
};

void TestWindow::startupListsEveryModel()
{
    open(sampleCatalogue);
    QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("7"));
    QCOMPARE(matches(), QStringLiteral("7"));
    QCOMPARE(itemsOf(modelList()),
             (QStringList{"orphan.mod", "crate01.mod", "Crate02.MOD", "barrel.mdl", "crate01.mod",
                          "loose.mod", "car.mod"}));
    QCOMPARE(modelList()->currentIndex(), -1);
    QCOMPARE(modelList()->currentText(), QStringLiteral("orphan.mod"));
    QCOMPARE(dirBox(), QString());
    QCOMPARE(fullpath(), QStringLiteral("models\\\\orphan.mod"));
    QCOMPARE(control<QLabel>("LoadingLabel")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(searchName()));

    // Typing goes straight into the search box.
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("car"));
    QCOMPARE(searchName()->text(), QStringLiteral("car"));
    QCOMPARE(fullpath(), QStringLiteral("models\\vehicles\\car.mod"));
}

void TestWindow::startupFailures_data()
{
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<QString>("expected");

    QTest::newRow("missing") << QByteArray() << "was not found";
    QTest::newRow("empty") << QByteArray("") << "is empty";
    QTest::newRow("no model record") << QByteArray("props\r\n\r\nvehicles\r\n") << "no model";
    QTest::newRow("5002 records") << numberedCatalogue(5002) << "more than 5001 records";
}

void TestWindow::startupFailures()
{
    QFETCH(QByteArray, catalogue);
    QFETCH(QString, expected);
    if (!catalogue.isNull())
        QVERIFY(m_folder->write(catalogue));
    PQL window;
    const std::optional<QString> failure = window.Form_Load();
    QVERIFY(failure);
    QVERIFY2(failure->contains(expected), qPrintable(*failure));
    QVERIFY2(failure->contains(QDir::toNativeSeparators(m_folder->filePath("PQL.TXT"))),
             qPrintable(*failure));
}

void TestWindow::catalogueComesFromWorkingDirectory()
{
    // A catalogue elsewhere (here beside the working folder) is not used.
    QVERIFY(m_folder->write("d\na.mod\n"));
    CatalogueFolder elsewhere;
    WorkingDirectory cwd(elsewhere.path());
    PQL window;
    QVERIFY(window.Form_Load());
}

void TestWindow::typingNarrowsTheList()
{
    open(sampleCatalogue);
    QSignalSpy edits(searchName(), &QLineEdit::textChanged);
    QTest::keyClicks(searchName(), QStringLiteral("cRA"));
    QCOMPARE(edits.size(), 3);
    QCOMPARE(itemsOf(modelList()), (QStringList{"crate01.mod", "Crate02.MOD", "crate01.mod"}));
    QCOMPARE(matches(), QStringLiteral("3"));
    QCOMPARE(modelList()->currentIndex(), -1);
    QCOMPARE(modelList()->currentText(), QStringLiteral("crate01.mod"));
    QCOMPARE(dirBox(), QStringLiteral("props"));
    QCOMPARE(fullpath(), QStringLiteral("models\\props\\crate01.mod"));

    // The directory is not searched: "vehicles" names no model.
    searchName()->clear();
    QTest::keyClicks(searchName(), QStringLiteral("vehic"));
    QCOMPARE(matches(), QStringLiteral("0"));
}

void TestWindow::listFollowsEverySearch()
{
    // Searches that shrink, grow, empty and refill the list, each checked
    // against the names expected; the tester checks every change the list
    // announces to its views.
    open(sampleCatalogue);
    QAbstractItemModelTester tester(modelList()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QStringList all{"orphan.mod",  "crate01.mod", "Crate02.MOD", "barrel.mdl",
                          "crate01.mod", "loose.mod",   "car.mod"};
    const QList<std::pair<QString, QStringList>> steps{
        {"crate", {"crate01.mod", "Crate02.MOD", "crate01.mod"}},
        {"r", {"orphan.mod", "crate01.mod", "Crate02.MOD", "barrel.mdl", "crate01.mod", "car.mod"}},
        {"zz", {}},
        {"", all},
        {"mdl", {"barrel.mdl"}},
        {"o", {"orphan.mod", "crate01.mod", "Crate02.MOD", "crate01.mod", "loose.mod", "car.mod"}},
        {"01", {"crate01.mod", "crate01.mod"}},
        {"a", {"orphan.mod", "crate01.mod", "Crate02.MOD", "barrel.mdl", "crate01.mod", "car.mod"}},
        {".MOD",
         {"orphan.mod", "crate01.mod", "Crate02.MOD", "crate01.mod", "loose.mod", "car.mod"}},
    };
    for (const auto &[text, names] : steps) {
        searchName()->selectAll();
        if (text.isEmpty())
            QTest::keyClick(searchName(), Qt::Key_Delete);
        else
            QTest::keyClicks(searchName(), text);
        QCOMPARE(searchName()->text(), text);
        QCOMPARE(itemsOf(modelList()), names);
        QCOMPARE(modelList()->currentIndex(), -1);
        QCOMPARE(modelList()->currentText(), names.isEmpty() ? QString() : names.front());
        QCOMPARE(matches(), QString::number(names.size()));
    }
}

void TestWindow::noMatchEmptiesEverything()
{
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("zz"));
    QCOMPARE(modelList()->count(), 0);
    QCOMPARE(modelList()->currentText(), QString());
    QCOMPARE(dirBox(), QString());
    QCOMPARE(fullpath(), QString());
    QCOMPARE(matches(), QStringLiteral("0"));
}

void TestWindow::deletingTheTextListsAllAgain()
{
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("bar"));
    QCOMPARE(matches(), QStringLiteral("1"));
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(searchName(), Qt::Key_Backspace);
    QCOMPARE(matches(), QStringLiteral("7"));
    QCOMPARE(modelList()->count(), 7);
    QCOMPARE(fullpath(), QStringLiteral("models\\\\orphan.mod"));
}

void TestWindow::pasteCutAndUndoSearch()
{
    open(sampleCatalogue);
    QGuiApplication::clipboard()->setText(QStringLiteral("LOOSE"));
    QTest::keyClick(searchName(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(fullpath(), QStringLiteral("models\\\\loose.mod"));

    searchName()->selectAll();
    QTest::keyClick(searchName(), Qt::Key_Delete);
    QCOMPARE(matches(), QStringLiteral("7"));

    QTest::keyClick(searchName(), Qt::Key_Z, Qt::ControlModifier); // undo the delete
    QCOMPARE(searchName()->text(), QStringLiteral("LOOSE"));
    QCOMPARE(matches(), QStringLiteral("1"));
}

void TestWindow::pickingWithTheMouse()
{
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("crate"));
    QComboBox *combo = modelList();
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QRect third = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, third.center());
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(combo->currentIndex(), 2);
    QCOMPARE(combo->currentText(), QStringLiteral("crate01.mod"));
    QCOMPARE(dirBox(), QStringLiteral("props\\crates"));
    QCOMPARE(fullpath(), QStringLiteral("models\\props\\crates\\crate01.mod"));
}

void TestWindow::pickingWithArrowKeys()
{
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("crate"));
    QComboBox *combo = modelList();
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 0);
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(dirBox(), QStringLiteral("props"));
    QCOMPARE(fullpath(), QStringLiteral("models\\props\\Crate02.MOD"));
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(fullpath(), QStringLiteral("models\\props\\crates\\crate01.mod"));
    QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(fullpath(), QStringLiteral("models\\props\\Crate02.MOD"));
}

void TestWindow::pickingWithTheWheel()
{
    // The wheel over the closed list steps through its items: a choice from
    // the list like the arrow keys, so it picks.
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("crate"));
    QComboBox *combo = modelList();
    const QPoint at = combo->rect().center();
    QWheelEvent down(at, combo->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(combo, &down);
    QApplication::sendEvent(combo, &down);
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(fullpath(), QStringLiteral("models\\props\\Crate02.MOD"));
}

void TestWindow::pickingAnEmptyDirectory()
{
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("o"));
    QCOMPARE(itemsOf(modelList()),
             (QStringList{"orphan.mod", "crate01.mod", "Crate02.MOD", "crate01.mod", "loose.mod",
                          "car.mod"}));
    modelList()->setFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(modelList(), Qt::Key_Down);
    QCOMPARE(modelList()->currentText(), QStringLiteral("loose.mod"));
    QCOMPARE(dirBox(), QString());
    QCOMPARE(fullpath(), QStringLiteral("models\\\\loose.mod"));
}

void TestWindow::staleMatchDirsNeverShow()
{
    // A long list then a short one: picking past the short list's end is
    // impossible, and every pick shows the short list's own directories.
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral(".m"));
    QCOMPARE(matches(), QStringLiteral("7"));
    QTest::keyClick(searchName(), Qt::Key_Backspace);
    QTest::keyClick(searchName(), Qt::Key_Backspace);
    QTest::keyClicks(searchName(), QStringLiteral("car"));
    QComboBox *combo = modelList();
    combo->setFocus();
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentIndex(), 0);
    QCOMPARE(fullpath(), QStringLiteral("models\\vehicles\\car.mod"));
}

void TestWindow::typingIntoTheComboPicksNothing_data()
{
    QTest::addColumn<int>("leaveBy");
    QTest::newRow("Tab") << int(Qt::Key_Tab);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("focus moves away") << 0;
}

void TestWindow::typingIntoTheComboPicksNothing()
{
    QFETCH(int, leaveBy);
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("crate"));
    const QString dirBefore = dirBox();
    const QString pathBefore = fullpath();

    QComboBox *combo = modelList();
    combo->setFocus();
    combo->lineEdit()->selectAll();
    // The name of another listed model, in a different directory.
    QTest::keyClicks(combo, QStringLiteral("Crate02.MOD"));
    QCOMPARE(combo->currentText(), QStringLiteral("Crate02.MOD"));
    if (leaveBy)
        QTest::keyClick(combo, Qt::Key(leaveBy));
    else
        searchName()->setFocus();

    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(dirBox(), dirBefore);
    QCOMPARE(fullpath(), pathBefore);

    // Opening and closing the list is no pick either.
    combo->showPopup();
    QVERIFY(QTest::qWaitForWindowExposed(combo->view()->window()));
    QTest::keyClick(combo->view(), Qt::Key_Escape);
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(dirBox(), dirBefore);
    QCOMPARE(fullpath(), pathBefore);
}

void TestWindow::typedTextNeverBecomesAnItem()
{
    open(sampleCatalogue);
    QComboBox *combo = modelList();
    combo->setFocus();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("cr"));
    // No completion: the text is exactly what was typed.
    QCOMPARE(combo->currentText(), QStringLiteral("cr"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->count(), 7);
    QVERIFY(!itemsOf(combo).contains(QStringLiteral("cr")));
    QCOMPARE(matches(), QStringLiteral("7"));
}

void TestWindow::copyPutsThePathOnTheClipboard()
{
    open(sampleCatalogue);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("models\\\\orphan.mod"));

    QTest::keyClicks(searchName(), QStringLiteral("barrel"));
    auto *button = control<QPushButton>("Command1");
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("models\\props\\barrel.mdl"));

    // Return and keypad Enter press the focused button; in a box they do nothing.
    for (const auto &[key, modifier] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                        std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(searchName(), key, modifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString());
        QTest::keyClick(button, key, modifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("models\\props\\barrel.mdl"));
    }
}

void TestWindow::copyOfEmptyPathClearsTheClipboard()
{
    open(sampleCatalogue);
    QGuiApplication::clipboard()->setText(QStringLiteral("left by another program"));
    QTest::keyClicks(searchName(), QStringLiteral("nothing like this"));
    QCOMPARE(fullpath(), QString());
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
}

void TestWindow::copyTakesHandEdits()
{
    open(sampleCatalogue);
    auto *path = control<QLineEdit>("Fullpath");
    path->setFocus();
    path->selectAll();
    QTest::keyClicks(path, QStringLiteral("models\\mine\\x.mod "));
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("models\\mine\\x.mod "));
}

namespace {

// A clipboard that another program holds for a while, or that the display
// server refuses to this program for a while.
struct HeldClipboard : pql::Clipboard {
    HeldClipboard(QString c, int r, bool t, Refusal why)
        : content(c), refusals(r), clearTakes(t), why(why)
    {
    }
    QString content;    // empty: nothing on it
    int refusals;       // attempts refused before it is let go; -1: never let go
    bool clearTakes;    // emptying works while it is held
    Refusal why;        // what a refusal means
    bool newer = false; // another program has changed it since beginCopy()
    int newerAt = 0;    // another program copies "newer" during this attempt (1: the first)
    int attempts = 0;
    Refusal refusal() const override { return why; }
    void beginCopy() override { newer = false; }
    bool put(const QString &text) override
    {
        if (++attempts == newerAt) {
            content = QStringLiteral("newer");
            newer = true;
            return false;
        }
        if (refusals != 0 && !(text.isEmpty() && clearTakes)) {
            refusals -= refusals > 0;
            return false;
        }
        content = text;
        return true;
    }
    bool isEmpty() override { return content.isEmpty(); }
    bool changedByAnotherProgram() override { return newer; }
};

// Standard error, caught in a file while this lives.
struct StandardError {
    FILE *file = std::tmpfile();
    int saved = dup(2);
    StandardError() { dup2(fileno(file), 2); }
    ~StandardError()
    {
        dup2(saved, 2);
        close(saved);
        std::fclose(file);
    }
    QStringList pqlLines() const // the lines PQL wrote
    {
        std::rewind(file);
        QFile caught;
        caught.open(file, QIODevice::ReadOnly);
        QStringList lines = QString::fromLocal8Bit(caught.readAll()).split(u'\n');
        lines.removeIf([](const QString &line) { return !line.startsWith(u"PQL: "); });
        return lines;
    }
};

} // namespace

void TestWindow::copyWaitsForABusyClipboard_data()
{
    QTest::addColumn<QString>("before"); // on the clipboard at the press
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("refusals");
    QTest::addColumn<bool>("clearTakes");
    QTest::addColumn<bool>("held"); // by another program (Windows); else refused (X11, Wayland)
    QTest::addColumn<QString>("meanwhile"); // "again": another path pressed; "newer": copied
                                            // elsewhere; "emptied": emptied elsewhere;
                                            // "exit": File > Exit
    QTest::addColumn<bool>("waits");        // the press leaves the copy waiting
    QTest::addColumn<QString>("after");     // on the clipboard in the end
    QTest::addColumn<QString>("told");      // the box and standard error; empty: nothing

    const QString path = QStringLiteral("models\\props\\crate01.mod");
    const QString none, old = QStringLiteral("old");
    const QString notCopied = QStringLiteral("The path was not copied: ");
    const QString nowEmpty =
        notCopied
        + QStringLiteral(
            "another program is holding the clipboard, which is now empty. Try again.");
    const QString kept = notCopied
        + QStringLiteral("another program is holding the clipboard, which still holds what was "
                         "there before. Try again.");
    QTest::newRow("busy, then free")
        << old << path << 2 << false << true << none << true << path << none;
    QTest::newRow("busy throughout, emptied at the end")
        << old << path << -1 << true << true << none << true << none << nowEmpty;
    QTest::newRow("busy throughout, nothing can change")
        << old << path << -1 << false << true << none << true << old << kept;
    QTest::newRow("busy throughout, empty before")
        << none << path << -1 << false << true << none << true << none << nowEmpty;
    QTest::newRow("pressed again for another path while busy: the later wins")
        << old << path << 3 << false << true << "again" << true << "models\\vehicles\\car.mod"
        << none;
    QTest::newRow("something newer copied elsewhere while busy is left alone")
        << old << path << -1 << true << true << "newer" << true << "newer"
        << notCopied
            + "another program has put something newer on the clipboard meanwhile, and it was "
              "left there.";
    QTest::newRow("the empty path on an empty, held clipboard: done at once")
        << none << none << -1 << false << true << none << false << none << none;
    QTest::newRow("the empty path on a held clipboard")
        << old << none << -1 << false << true << none << true << old
        << "The clipboard was not cleared: another program is holding it. Try again.";
    QTest::newRow("emptied elsewhere while busy: nothing newer to keep, the copy goes on")
        << old << path << 3 << false << true << "emptied" << true << path << none;
    QTest::newRow("refused by the desktop throughout, emptied at the end")
        << old << path << -1 << true << false << none << true << none
        << notCopied
            + "the desktop did not let Pathquill set the clipboard, which is now empty. Try again.";
    QTest::newRow("the empty path refused by the desktop")
        << old << none << -1 << false << false << none << true << old
        << "The clipboard was not cleared: the desktop did not let Pathquill change it. Try again.";
    QTest::newRow("exit while busy: the copy is finished first")
        << old << path << 3 << false << true << "exit" << true << path << none;
    QTest::newRow("exit while busy throughout: told, then ended")
        << old << path << -1 << false << true << "exit" << true << old << kept;
}

void TestWindow::copyWaitsForABusyClipboard()
{
    QFETCH(QString, before);
    QFETCH(QString, path);
    QFETCH(int, refusals);
    QFETCH(bool, clearTakes);
    QFETCH(bool, held);
    QFETCH(QString, meanwhile);
    QFETCH(bool, waits);
    QFETCH(QString, after);
    QFETCH(QString, told);

    using Refusal = pql::Clipboard::Refusal;
    auto *clipboard = new HeldClipboard(before, refusals, clearTakes,
                                        held ? Refusal::HeldByAnotherProgram : Refusal::NotGranted);
    open(sampleCatalogue, std::unique_ptr<pql::Clipboard>(clipboard)); // the window's from here
    auto *copy = m_window->findChild<pql::ClipboardCopy *>();
    QSignalSpy finished(copy, &pql::ClipboardCopy::finished);
    QString shown;
    Qt::WindowModality modality = Qt::NonModal;
    if (!told.isEmpty()) {
        whenModalOpens([&](QMessageBox *box) {
            shown = box->windowTitle() + u'|' + box->text();
            modality = box->windowModality();
        });
    }
    // How far the copy had come when the window closed.
    QStringList atClose;
    const QObject whileHere; // ends the connection below with this function
    connect(m_window->windowHandle(), &QWindow::visibleChanged, &whileHere, [&](bool visible) {
        if (!visible)
            atClose = {clipboard->content, shown};
    });
    const StandardError standardError;

    auto *button = control<QPushButton>("Command1");
    auto *fullpath = control<QLineEdit>("Fullpath");
    fullpath->setText(path);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(copy->isWaiting(), waits);
    if (meanwhile == u"again") {
        QTest::keyClicks(searchName(), QStringLiteral("car"));
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (meanwhile == u"newer" || meanwhile == u"emptied") {
        clipboard->content = meanwhile == u"newer" ? meanwhile : QString();
        clipboard->newer = true;
    } else if (meanwhile == u"exit") {
        // Pressed twice: the second changes nothing.
        for (int i = 0; i < 2; ++i)
            m_window->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(m_window->isVisible());
    }
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20'000);
    QCOMPARE(clipboard->content, after);
    if (told.isEmpty()) {
        QCOMPARE(standardError.pqlLines(), QStringList());
    } else {
        QTRY_COMPARE(shown, QStringLiteral("PQL|") + told);
        QCOMPARE(modality, Qt::WindowModal);
        QCOMPARE(standardError.pqlLines(), QStringList(QStringLiteral("PQL: ") + told));
    }
    if (meanwhile == u"exit") {
        QTRY_VERIFY(!m_window->isVisible());
        QCOMPARE(atClose,
                 QStringList({after, told.isEmpty() ? QString() : QStringLiteral("PQL|") + told}));
    }
    QCOMPARE(finished.size(), 1);
}

// Another program copies while the last attempt before the deadline is under
// way (in Qt's own retries, say): what it copied is not emptied.
void TestWindow::copyOvertakenDuringTheLastAttempt()
{
    auto *clipboard =
        new HeldClipboard(QStringLiteral("old"), -1, true, pql::Clipboard::Refusal::NotGranted);
    clipboard->newerAt = 2; // the first attempt again, past a deadline of no time at all
    pql::ClipboardCopy copy(std::unique_ptr<pql::Clipboard>(clipboard), nullptr,
                            std::chrono::milliseconds(1), std::chrono::milliseconds(0));
    QSignalSpy finished(&copy, &pql::ClipboardCopy::finished);
    copy.copy(QStringLiteral("path"));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(1).value<pql::CopyOutcome>(), pql::CopyOutcome::Overtaken);
    QCOMPARE(clipboard->content, QStringLiteral("newer"));
}

void TestWindow::pastedTextKeepsItsFirstLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pasted");
    // Each box holds "ab" with the cursor between the two letters.
    QTest::newRow("Search_name, LF") << "Search_name"
                                     << "cess\nmore";
    QTest::newRow("Model_list, CRLF") << "Model_list"
                                      << "cess\r\nmore\r\n";
    QTest::newRow("Dir_Box, blank lines") << "Dir_Box"
                                          << "cess\n\n\nmore";
    QTest::newRow("Fullpath, lone CR then LF") << "Fullpath"
                                               << "cess\rmore\nyet more";
}

void TestWindow::pastedTextKeepsItsFirstLine()
{
    QFETCH(QString, name);
    QFETCH(QString, pasted);
    open(sampleCatalogue);
    QWidget *box = m_window->findChild<QWidget *>(name);
    auto *combo = qobject_cast<QComboBox *>(box);
    QLineEdit *edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit *>(box);
    edit->setFocus();
    edit->setText(QStringLiteral("ab"));
    edit->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("acessb"));
    QCOMPARE(edit->cursorPosition(), 5);
    // Dropped and middle-clicked text arrives the same way.
    edit->insert(pasted);
    QCOMPARE(edit->text(), QStringLiteral("acesscessb"));
}

void TestWindow::longNamesStayWhole()
{
    // Longer than a line edit holds unless told otherwise (32767).
    // A Unicode line separator and a form feed are no line ends in a catalogue.
    const QString name = QString(33000, u'n') + QString::fromUtf16(u"\u2028\f.mod");
    open("props\r\n" + name.toUtf8() + "\r\n");
    QCOMPARE(modelList()->currentText(), name);
    const QString path = QStringLiteral("models\\props\\") + name;
    QCOMPARE(fullpath(), path);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), path);
    QTest::keyClicks(searchName(), QStringLiteral("nnn"));
    QCOMPARE(fullpath(), path);
}

void TestWindow::ctrlXExitsFromEveryEditor_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Search_name") << "Search_name";
    QTest::newRow("Model_list") << "Model_list";
    QTest::newRow("Dir_Box") << "Dir_Box";
    QTest::newRow("Fullpath") << "Fullpath";
    QTest::newRow("Command1") << "Command1";
    QTest::newRow("the open model list") << "Model_list popup";
}

void TestWindow::ctrlXExitsFromEveryEditor()
{
    QFETCH(QString, name);
    open(sampleCatalogue);
    QTest::keyClicks(searchName(), QStringLiteral("crate"));
    if (name.endsWith(u" popup")) {
        // The open list is a window of its own, and it has the keyboard.
        modelList()->showPopup();
        QWidget *popup = modelList()->view()->window();
        QTRY_VERIFY(popup->isVisible());
        QTest::keyClick(modelList()->view(), Qt::Key_X, Qt::ControlModifier);
        QTRY_VERIFY(!m_window->isVisible());
        return;
    }
    auto *target = m_window->findChild<QWidget *>(name);
    QWidget *focus = target;
    if (auto *combo = qobject_cast<QComboBox *>(target))
        focus = combo->lineEdit();
    target->setFocus();
    auto *edit = qobject_cast<QLineEdit *>(focus);
    if (edit)
        edit->selectAll();
    const QString before = edit ? edit->text() : QString();
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));

    QTest::keyClick(focus, Qt::Key_X, Qt::ControlModifier);
    QVERIFY(!m_window->isVisible());
    if (edit)
        QCOMPARE(edit->text(), before);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

void TestWindow::menus()
{
    open(sampleCatalogue);
    const QList<QAction *> bar = m_window->menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar.at(0)->text(), QStringLiteral("&File"));
    QCOMPARE(bar.at(1)->text(), QStringLiteral("&Help"));
    const QList<QAction *> file = bar.at(0)->menu()->actions();
    QCOMPARE(file.size(), 1);
    QCOMPARE(file.at(0)->text(), QStringLiteral("E&xit"));
    QCOMPARE(file.at(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    const QList<QAction *> help = bar.at(1)->menu()->actions();
    QCOMPARE(help.size(), 1);
    QCOMPARE(help.at(0)->text(), QStringLiteral("&About"));
    QVERIFY(help.at(0)->shortcut().isEmpty());
}

void TestWindow::accessKeysRunExit()
{
    open(sampleCatalogue);
    QTest::keyClick(searchName(), Qt::Key_F, Qt::AltModifier);
    auto *file = m_window->findChild<QMenu *>(QStringLiteral("mnuFile"));
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_X);
    QTRY_VERIFY(!m_window->isVisible());
}

void TestWindow::aboutBox()
{
    open(sampleCatalogue);
    QString title, text;
    int buttons = 0;
    QMessageBox::Icon icon = QMessageBox::Warning;
    bool modal = false;
    whenModalOpens([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        buttons = int(box->standardButtons());
        icon = box->icon();
        modal = box->isModal();
        // The window behind the box takes no input, Exit's key included.
        QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(m_window->isVisible());
    });
    QTest::keyClick(searchName(), Qt::Key_H, Qt::AltModifier);
    auto *help = m_window->findChild<QMenu *>(QStringLiteral("mnuHelp"));
    QTRY_VERIFY(help->isVisible());
    QTest::keyClick(help, Qt::Key_A);
    QTRY_COMPARE(title, QStringLiteral("PQL"));
    QCOMPARE(text.split(u'\n'),
             (QStringList{"   Pathquill", "           Version 0.2", "          April, 2007"}));
    QCOMPARE(buttons, int(QMessageBox::Ok));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QVERIFY(modal);
    QVERIFY(m_window->isVisible());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
