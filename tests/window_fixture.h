// The main window under the offscreen platform, opened on a catalogue in a
// working folder of its own: what the window's tests share.
#pragma once

#include "catalogue_fixture.h"
#include "pql_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

inline namespace window_fixture {

inline const QByteArray sampleCatalogue = "orphan.mod\r\n"
                                          "props\r\n"
                                          "crate01.mod\r\n"
                                          "Crate02.MOD\r\n"
                                          "barrel.mdl\r\n"
                                          "props\\crates\r\n"
                                          "crate01.mod\r\n"
                                          "\r\n"
                                          "loose.mod\r\n"
                                          "vehicles\r\n"
                                          "car.mod\r\n";

inline QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// Runs `inspect` on the first modal box that opens, then closes it.
inline void whenModalOpens(std::function<void(QMessageBox *)> inspect)
{
    QTimer::singleShot(0, qApp, [inspect] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            whenModalOpens(inspect);
            return;
        }
        inspect(box);
        box->done(QMessageBox::Ok);
    });
}

} // namespace window_fixture

// Each test class calls setUp() from its init() and tearDown() from its
// cleanup(), then opens the window with open().
class WindowFixture
{
protected:
    void setUp()
    {
        // Closing a window must not end the test's own event loops.
        QGuiApplication::setQuitOnLastWindowClosed(false);
        m_folder = std::make_unique<CatalogueFolder>();
        m_cwd = std::make_unique<WorkingDirectory>(m_folder->path());
    }

    void tearDown()
    {
        m_window.reset();
        m_cwd.reset();
        m_folder.reset();
        QGuiApplication::clipboard()->clear();
    }

    void open(const QByteArray &catalogue,
              std::unique_ptr<pql::Clipboard> clipboard = pql::systemClipboard())
    {
        QVERIFY(m_folder->write(catalogue));
        m_window = std::make_unique<PQL>(nullptr, std::move(clipboard));
        const std::optional<QString> failure = m_window->Form_Load();
        QVERIFY2(!failure, failure ? qPrintable(*failure) : "");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    template <typename T> T *control(const char *name) const
    {
        auto *w = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit *searchName() const { return control<QLineEdit>("Search_name"); }
    QComboBox *modelList() const { return control<QComboBox>("Model_list"); }
    QString dirBox() const { return control<QLineEdit>("Dir_Box")->text(); }
    QString fullpath() const { return control<QLineEdit>("Fullpath")->text(); }
    QString matches() const { return control<QLabel>("Matches")->text(); }

    std::unique_ptr<CatalogueFolder> m_folder;
    std::unique_ptr<WorkingDirectory> m_cwd;
    std::unique_ptr<PQL> m_window;
};
