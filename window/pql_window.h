// The main window: its controls, start-up and event handlers.
#pragma once

#include "clipboard_copy.h"
#include "model_table.h"
#include "name_search.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class MatchListModel;

class PQL : public QMainWindow
{
    Q_OBJECT

public:
    // Copies go to `clipboard`: the system's, unless a stand-in is given.
    explicit PQL(QWidget *parent = nullptr,
                 std::unique_ptr<pql::Clipboard> clipboard = pql::systemClipboard());

    // Reads the catalogue of the working directory, builds the model table,
    // lists every model and makes the first one current. Returns the message
    // to show when start-up must end instead; the window is then unusable.
    std::optional<QString> Form_Load();

    // The About message: three lines joined by single carriage returns.
    static QString aboutText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // While a copy waits for the clipboard, the window stays until it is
    // known how the copy ended, then ends as asked.
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void applyTabOrder();

    // Takes the model table that reading the catalogue built from its
    // records: fixes Num_models, readies the search and the list, and shows
    // the total in Label2.
    void Find_Dirs(pql::ModelTable table);
    void Do_search();
    // The directory of the model at a position of the current list.
    const QString &Match_dirs(int position) const;
    void composeFullpath();
    // Shows a count in `label`, the caption beside it naming what it counts.
    void showCount(QLabel *label, const QString &caption, qsizetype count);

    void Search_name_Change();
    void Model_list_Click();
    void Command1_Click();
    // Tells the user of a copy that did not reach the clipboard; ends the
    // program then, where that was asked for while the copy waited.
    void copyFinished(const QString &text, pql::CopyOutcome outcome);
    // Ends the program where Exit was asked for while the copy waited.
    void exitIfAsked();
    void mnuExit_Click();
    void mnuAbout_Click();

    // Controls, in the order they are created.
    QPushButton *Command1 = nullptr;
    QLineEdit *Fullpath = nullptr;
    QLineEdit *Dir_Box = nullptr;
    QComboBox *Model_list = nullptr;
    QLineEdit *Search_name = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *LoadingLabel = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Matches = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuAbout = nullptr;

    MatchListModel *m_listModel = nullptr;
    pql::ClipboardCopy *m_copy = nullptr;
    bool m_exitAfterCopy = false;

    // Fixed after start-up.
    qint16 Record_count = 0;
    qint16 Num_models = 0;
    pql::ModelTable Model_table;
    pql::NameSearch m_nameSearch;
};
