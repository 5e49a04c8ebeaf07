#include "pql_window.h"

#include "app_icon.h"
#include "catalogue_file.h"
#include "clipboard_copy.h"
#include "match_list_model.h"
#include "path_rule.h"
#include "single_line.h"
#include "window_look.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace {

constexpr QKeyCombination exitShortcut = Qt::CTRL | Qt::Key_X;

template <typename T> T *makeControl(QWidget *parent, const char *name)
{
    auto *control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption)
{
    auto *label = makeControl<QLabel>(parent, name);
    label->setText(caption);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

PQL::PQL(QWidget *parent, std::unique_ptr<pql::Clipboard> clipboard) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("PQL"));
    setWindowTitle(QStringLiteral("Pathquill"));
    setWindowIcon(pql::applicationIcon());
    m_copy = new pql::ClipboardCopy(std::move(clipboard), this);
    connect(m_copy, &pql::ClipboardCopy::finished, this, &PQL::copyFinished);
    createControls();
    createMenus();
    applyTabOrder();
    Search_name->setFocus(Qt::OtherFocusReason);
}

void PQL::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    Command1 = makeControl<QPushButton>(client, "Command1");
    Command1->setText(QStringLiteral("Copy to Clipboard"));
    // Return and Enter press the button while it has the focus, as Space does.
    Command1->setAutoDefault(true);

    Fullpath = makeControl<QLineEdit>(client, "Fullpath");
    Fullpath->setAccessibleName(QStringLiteral("Path"));

    Dir_Box = makeControl<QLineEdit>(client, "Dir_Box");
    Dir_Box->setAccessibleName(QStringLiteral("Directory"));
    // The directory box is no tab stop: Tab goes from the model list straight
    // to the path, the two things a user acts on. A click still focuses it.
    Dir_Box->setFocusPolicy(Qt::ClickFocus);

    Model_list = makeControl<QComboBox>(client, "Model_list");
    Model_list->setEditable(true);
    Model_list->setAccessibleName(QStringLiteral("Model"));
    Model_list->setInsertPolicy(QComboBox::NoInsert); // typed text never becomes an item
    Model_list->setCompleter(nullptr);                // and is never completed
    // Sizing must not walk thousands of items: the geometry is fixed anyway.
    Model_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_listModel = new MatchListModel(Model_list);
    Model_list->setModel(m_listModel);
    if (auto *view = qobject_cast<QListView *>(Model_list->view()))
        view->setUniformItemSizes(true);
    // When its line edit finishes editing, a combo box looks its text up among
    // the items and silently selects and activates the one that equals it.
    // Only a choice from the list may pick a model, so that look-up is cut off.
    disconnect(Model_list->lineEdit(), &QLineEdit::editingFinished, Model_list, nullptr);

    Search_name = makeControl<QLineEdit>(client, "Search_name");
    Search_name->setAccessibleName(QStringLiteral("Search Text"));

    Label6 = makeLabel(client, "Label6", QStringLiteral("Path"));
    LoadingLabel = makeLabel(client, "LoadingLabel", QString());
    Label7 = makeLabel(client, "Label7", QStringLiteral("Matches"));
    Matches = makeLabel(client, "Matches", QString());
    Label5 = makeLabel(client, "Label5", QStringLiteral("Model"));
    Label4 = makeLabel(client, "Label4", QStringLiteral("Search Text"));
    Label3 = makeLabel(client, "Label3", QStringLiteral("Pathquill"));
    // The title's line is taller than its box; resting it just above the
    // bottom keeps both the capitals and the descenders of "Pathquill" whole.
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    Label3->setContentsMargins(0, 0, 0, 2);
    Label2 = makeLabel(client, "Label2", QString());
    Label1 = makeLabel(client, "Label1", QStringLiteral("Total Models"));

    // Screen readers announce each control with the caption it sits under.
    // No caption has an access key, so these give no keyboard access.
    Label4->setBuddy(Search_name);
    Label5->setBuddy(Model_list);
    Label6->setBuddy(Fullpath);

    // Every control, in creation order.
    pql::applyLayout(this, client,
                     {
                         {Command1, 240, 4080, 1575, 375, 0},
                         {Fullpath, 240, 3600, 8655, 300, 8.25},
                         {Dir_Box, 5880, 2040, 2775, 300, 9.75},
                         {Model_list, 240, 2760, 8655, 315, 8.25},
                         {Search_name, 240, 1920, 2895, 315, 9.75},
                         {Label6, 240, 3360, 615, 255, 0},
                         {LoadingLabel, 2760, 960, 3135, 375, 12},
                         {Label7, 4440, 1560, 1095, 375, 0},
                         {Matches, 4440, 1920, 975, 375, 9.75},
                         {Label5, 240, 2520, 1695, 255, 0},
                         {Label4, 240, 1560, 1695, 255, 0},
                         {Label3, 1800, 120, 5175, 495, 24},
                         {Label2, 1800, 960, 855, 255, 9.75},
                         {Label1, 360, 960, 1455, 255, 9.75},
                     });

    for (QLineEdit *edit : {Search_name, Model_list->lineEdit(), Dir_Box, Fullpath})
        pql::makeSingleLine(edit);

    // The program itself never sets the search text, so every change is the user's.
    connect(Search_name, &QLineEdit::textChanged, this, &PQL::Search_name_Change);
    // Emitted only for a user's choice: a click in the open list, Up/Down or
    // the wheel on the closed box; never for the texts set by a search.
    connect(Model_list, &QComboBox::activated, this, &PQL::Model_list_Click);
    connect(Command1, &QPushButton::clicked, this, &PQL::Command1_Click);

    // A focused line edit, the combo box's own included, claims Ctrl+X as
    // Cut before any shortcut sees it; the combo box hands the key to it.
    const QList<QLineEdit *> editors = client->findChildren<QLineEdit *>();
    for (QLineEdit *editor : editors)
        editor->installEventFilter(this);
    Model_list->installEventFilter(this);
}

void PQL::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuExit = mnuFile->addAction(QStringLiteral("E&xit"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));
    mnuExit->setShortcut(QKeySequence(exitShortcut));
    // Also while the model list or a menu is open: those are windows of
    // their own. A modal box (About) still blocks it.
    mnuExit->setShortcutContext(Qt::ApplicationShortcut);
    connect(mnuExit, &QAction::triggered, this, &PQL::mnuExit_Click);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuAbout, &QAction::triggered, this, &PQL::mnuAbout_Click);
}

void PQL::applyTabOrder()
{
    // Labels never take the focus; the rest follow their tab indices.
    QWidget::setTabOrder(Search_name, Model_list);
    QWidget::setTabOrder(Model_list, Dir_Box);
    QWidget::setTabOrder(Dir_Box, Fullpath);
    QWidget::setTabOrder(Fullpath, Command1);
}

bool PQL::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // Stopping the event here, before the editor sees it, keeps the
        // editor from claiming Ctrl+X as Cut; the key then goes on to the
        // window's Exit shortcut.
        if (key->keyCombination() == exitShortcut)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

std::optional<QString> PQL::Form_Load()
{
    LoadingLabel->setText(QStringLiteral("Loading File..."));

    pql::CatalogueResult catalogue = pql::readCatalogue(QDir::currentPath());
    if (catalogue.status != pql::CatalogueStatus::Ok)
        return pql::failureMessage(catalogue);
    Record_count = static_cast<qint16>(catalogue.records.size());

    Find_Dirs(std::move(catalogue.models));
    Do_search();
    composeFullpath();
    LoadingLabel->setText(QString());
    return std::nullopt;
}

void PQL::Find_Dirs(pql::ModelTable table)
{
    Model_table = std::move(table);
    Num_models = static_cast<qint16>(Model_table.size());
    m_nameSearch = pql::NameSearch(Model_table);
    m_listModel->setTable(Model_table);
    showCount(Label2, Label1->text(), Num_models);
}

void PQL::Do_search()
{
    // A search leaves no item selected and shows the first match's name as
    // text only. Dropping the selection first spares the combo box from
    // following its item through the change; filling an empty list makes it
    // select the first item, which is dropped again.
    Model_list->setCurrentIndex(-1);
    const QList<int> rows = m_nameSearch.find(Search_name->text());
    m_listModel->setRows(rows);
    Model_list->setCurrentIndex(-1);
    if (!rows.isEmpty()) {
        const pql::ModelRow &first = Model_table.at(rows.front());
        Model_list->setEditText(first.name);
        Dir_Box->setText(first.directory);
    } else {
        Model_list->setEditText(QString());
        Dir_Box->setText(QString());
    }
    showCount(Matches, Label7->text(), rows.size());
}

void PQL::showCount(QLabel *label, const QString &caption, qsizetype count)
{
    const QString number = QString::number(count);
    label->setText(number);
    // Screen readers hear the number with what it counts ("Matches 7"), and
    // are told of every new count: a changed name is announced.
    label->setAccessibleName(caption + u' ' + number);
}

const QString &PQL::Match_dirs(int position) const
{
    return m_listModel->rowAt(position).directory;
}

void PQL::composeFullpath()
{
    Fullpath->setText(pql::composePath(Dir_Box->text(), Model_list->currentText()));
}

void PQL::Search_name_Change()
{
    Do_search();
    composeFullpath();
}

void PQL::Model_list_Click()
{
    const int p = Model_list->currentIndex();
    if (p < 0 || p >= Model_list->count())
        return;
    Dir_Box->setText(Match_dirs(p));
    composeFullpath();
}

void PQL::Command1_Click()
{
    // The path as it is now; pressed again while a busy clipboard is being
    // waited for, the newer path is copied instead.
    m_copy->copy(Fullpath->text());
}

namespace {

// What to tell the user of a copy that did not take, in one or two
// sentences, with the cause a refusal has on this platform.
QString copyFailure(bool emptyPath, pql::CopyOutcome outcome, pql::Clipboard::Refusal refusal)
{
    using pql::CopyOutcome;
    const bool held = refusal == pql::Clipboard::Refusal::HeldByAnotherProgram;
    const QString notDone = emptyPath ? QStringLiteral("The clipboard was not cleared: ")
                                      : QStringLiteral("The path was not copied: ");
    const QString cause = held ? QStringLiteral("another program is holding the clipboard")
                               : QStringLiteral("the desktop did not let Pathquill set the "
                                                "clipboard");
    switch (outcome) {
    case CopyOutcome::Copied:
        break;
    case CopyOutcome::NotCopiedEmpty:
        return notDone + cause + QStringLiteral(", which is now empty. Try again.");
    case CopyOutcome::NotCopiedKept:
        if (emptyPath)
            return notDone
                + (held ? QStringLiteral("another program is holding it. Try again.")
                        : QStringLiteral("the desktop did not let Pathquill change it. Try "
                                         "again."));
        return notDone + cause
            + QStringLiteral(", which still holds what was there before. Try again.");
    case CopyOutcome::Overtaken:
        return notDone
            + QStringLiteral("another program has put something newer on the clipboard "
                             "meanwhile, and it was left there.");
    }
    return {};
}

} // namespace

void PQL::copyFinished(const QString &text, pql::CopyOutcome outcome)
{
    // A copy that took says nothing, as ever.
    if (outcome == pql::CopyOutcome::Copied) {
        exitIfAsked();
        return;
    }
    const QString message = copyFailure(text.isEmpty(), outcome, m_copy->refusal());
    std::fprintf(stderr, "PQL: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    // The box may come up to two seconds after the press, from the event
    // loop: it blocks this window only, and the program goes on meanwhile.
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("PQL"), message,
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("copyFailedBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setFont(font());
    box->setTextFormat(Qt::PlainText);
    connect(box, &QMessageBox::finished, this, &PQL::exitIfAsked);
    box->open();
}

void PQL::exitIfAsked()
{
    if (m_exitAfterCopy)
        mnuExit_Click();
}

void PQL::closeEvent(QCloseEvent *event)
{
    if (m_copy->isWaiting()) {
        m_exitAfterCopy = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void PQL::mnuExit_Click()
{
    // Refused while a copy waits: the end comes once it is known how the
    // copy ended.
    if (close())
        QCoreApplication::quit(); // status 0; does nothing outside the event loop
}

QString PQL::aboutText()
{
    return QStringLiteral("   Pathquill") + u'\r' + QStringLiteral("           Version 0.2") + u'\r'
        + QStringLiteral("          April, 2007");
}

void PQL::mnuAbout_Click()
{
    // A message box breaks lines at line feeds, not at lone carriage returns.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("PQL"), aboutText().replace(u'\r', u'\n'),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("aboutBox"));
    box.setFont(font());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
