// How the main window looks, under the offscreen platform: where each
// control sits, its font, that every text fits its box, the tab order, what
// a screen reader hears, and the icon.

#include "app_icon.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>

class TestWindowLook : public QObject, public WindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void geometry_data();
    void geometry();
    void windowSizeIsFixed();
    void fonts_data();
    void fonts();
    void textsFitTheirBoxes();
    void tabOrder();
    void accessibleNames_data();
    void accessibleNames();
    void icon();
};

void TestWindowLook::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    // Pixels at 96 DPI.
    QTest::newRow("Command1") << "Command1" << QRect(16, 272, 105, 25);
    QTest::newRow("Fullpath") << "Fullpath" << QRect(16, 240, 577, 20);
    QTest::newRow("Dir_Box") << "Dir_Box" << QRect(392, 136, 185, 20);
    QTest::newRow("Model_list") << "Model_list" << QRect(16, 184, 577, 21);
    QTest::newRow("Search_name") << "Search_name" << QRect(16, 128, 193, 21);
    QTest::newRow("Label6") << "Label6" << QRect(16, 224, 41, 17);
    QTest::newRow("LoadingLabel") << "LoadingLabel" << QRect(184, 64, 209, 25);
    QTest::newRow("Label7") << "Label7" << QRect(296, 104, 73, 25);
    QTest::newRow("Matches") << "Matches" << QRect(296, 128, 65, 25);
    QTest::newRow("Label5") << "Label5" << QRect(16, 168, 113, 17);
    QTest::newRow("Label4") << "Label4" << QRect(16, 104, 113, 17);
    QTest::newRow("Label3") << "Label3" << QRect(120, 8, 345, 33);
    QTest::newRow("Label2") << "Label2" << QRect(120, 64, 57, 17);
    QTest::newRow("Label1") << "Label1" << QRect(24, 64, 97, 17);
}

void TestWindowLook::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    open(sampleCatalogue);
    auto *w = m_window->findChild<QWidget *>(name);
    QVERIFY(w);
    QCOMPARE(w->geometry(), rect);
    // Placed relative to the client area, which starts right below the menu bar.
    QCOMPARE(w->parentWidget(), m_window->centralWidget());
}

void TestWindowLook::windowSizeIsFixed()
{
    open(sampleCatalogue);
    QWidget *client = m_window->centralWidget();
    QCOMPARE(client->size(), QSize(608, 308));
    QCOMPARE(client->y(), m_window->menuBar()->geometry().bottom() + 1);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Pathquill"));
    const QSize before = m_window->size();
    m_window->resize(900, 700);
    QCOMPARE(m_window->size(), before);
    QCOMPARE(m_window->findChild<QWidget *>("Fullpath")->geometry(), QRect(16, 240, 577, 20));
    // The window is the menu bar and the client area, nothing more.
    QCOMPARE(m_window->size(), QSize(client->width(), client->geometry().bottom() + 1));
}

void TestWindowLook::fonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<bool>("bold");
    QTest::newRow("Command1") << "Command1" << 11 << false;
    QTest::newRow("Fullpath") << "Fullpath" << 11 << true;
    QTest::newRow("Dir_Box") << "Dir_Box" << 13 << true;
    QTest::newRow("Model_list") << "Model_list" << 11 << true;
    QTest::newRow("Search_name") << "Search_name" << 13 << true;
    QTest::newRow("Label6") << "Label6" << 11 << false;
    QTest::newRow("LoadingLabel") << "LoadingLabel" << 16 << true;
    QTest::newRow("Label7") << "Label7" << 11 << false;
    QTest::newRow("Matches") << "Matches" << 13 << true;
    QTest::newRow("Label5") << "Label5" << 11 << false;
    QTest::newRow("Label4") << "Label4" << 11 << false;
    QTest::newRow("Label3") << "Label3" << 32 << true;
    QTest::newRow("Label2") << "Label2" << 13 << true;
    QTest::newRow("Label1") << "Label1" << 13 << true;
}

// Windows' offscreen platform has no font database: there the fonts, and
// what they draw, are checked on the real windows platform instead
// (tst_window_fonts).
bool hasFonts()
{
#ifdef Q_OS_WIN
    return QGuiApplication::platformName() != QStringLiteral("offscreen");
#else
    return true;
#endif
}
const char noFonts[] = "no fonts on Windows' offscreen platform; checked on the windows platform";

void TestWindowLook::fonts()
{
    if (!hasFonts())
        QSKIP(noFonts);
    QFETCH(QString, name);
    QFETCH(int, pixels);
    QFETCH(bool, bold);
    open(sampleCatalogue);
    auto *w = m_window->findChild<QWidget *>(name);
    const QFontInfo info(w->font());
    QCOMPARE(info.pixelSize(), pixels);
    QCOMPARE(info.bold(), bold);
    QCOMPARE(info.italic(), false);
#ifdef Q_OS_WIN
    // The first of these that the system has.
    const QStringList faces{"Microsoft Sans Serif", "MS Sans Serif", "Arial", "Liberation Sans"};
    QVERIFY2(faces.contains(info.family()), qPrintable(info.family()));
#else
    QCOMPARE(info.family(), QStringLiteral("Liberation Sans"));
#endif
}

void TestWindowLook::textsFitTheirBoxes()
{
    if (!hasFonts())
        QSKIP(noFonts);
    // Every caption, and the widest text a label can show, is drawn whole:
    // no dark pixel of it reaches the edge of its box, where it would be cut.
    open(sampleCatalogue);
    const QList<std::pair<const char *, QString>> texts{
        {"Label1", "Total Models"}, {"Label2", "5001"},  {"Label3", "Pathquill"},
        {"Label4", "Search Text"},  {"Label5", "Model"}, {"Label6", "Path"},
        {"Label7", "Matches"},      {"Matches", "5001"}, {"LoadingLabel", "Loading File..."}};
    for (const auto &[name, text] : texts) {
        auto *label = control<QLabel>(name);
        label->setText(text);
        const QImage image = label->grab().toImage();
        bool inked = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool dark = qGray(image.pixel(x, y)) < 128;
                inked |= dark;
                // Left-aligned text may start right at the left edge.
                const bool edge = y == 0 || x == image.width() - 1 || y == image.height() - 1
                    || (x == 0 && (label->alignment() & Qt::AlignHCenter));
                QVERIFY2(!(dark && edge),
                         qPrintable(QStringLiteral("%1 cut at %2,%3").arg(name).arg(x).arg(y)));
            }
        }
        QVERIFY2(inked, name);
    }
    auto *button = control<QPushButton>("Command1");
    QVERIFY(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8 <= button->width());
    for (const char *name : {"Search_name", "Dir_Box", "Fullpath"}) {
        auto *edit = control<QLineEdit>(name);
        QVERIFY2(QFontMetrics(edit->font()).height() + 4 <= edit->height(), name);
    }
}

void TestWindowLook::tabOrder()
{
    open(sampleCatalogue);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(searchName()));
    const QStringList expected{"Model_list", "Fullpath", "Command1", "Search_name", "Model_list"};
    for (const QString &name : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focus = QApplication::focusWidget();
        // The combo's own line edit holds the focus on its behalf.
        if (focus && focus->parentWidget() == modelList())
            focus = modelList();
        QCOMPARE(focus ? focus->objectName() : QString(), name);
    }
    // The directory box is no tab stop, but a click still reaches it.
    auto *dir = control<QLineEdit>("Dir_Box");
    QTest::mouseClick(dir, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dir));
    for (QLabel *label : m_window->findChildren<QLabel *>())
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void TestWindowLook::accessibleNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("accessible");
    QTest::newRow("Search_name") << "Search_name"
                                 << "Search Text";
    QTest::newRow("Model_list") << "Model_list"
                                << "Model";
    QTest::newRow("Fullpath") << "Fullpath"
                              << "Path";
    QTest::newRow("Matches") << "Matches"
                             << "Matches 7";
    QTest::newRow("Label2") << "Label2"
                            << "Total Models 7";
    QTest::newRow("Dir_Box") << "Dir_Box"
                             << "Directory";
    QTest::newRow("Command1") << "Command1"
                              << "Copy to Clipboard";
}

void TestWindowLook::accessibleNames()
{
    QFETCH(QString, name);
    QFETCH(QString, accessible);
    open(sampleCatalogue);
    QWidget *widget = m_window->findChild<QWidget *>(name);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    if (qobject_cast<QComboBox *>(widget) && iface->text(QAccessible::Name) != accessible) {
        // Where the platform names an editable combo box by its text, the
        // caption above it is announced through the labelled-by relation.
        QStringList labels;
        for (const auto &[other, relation] : iface->relations(QAccessible::Label))
            labels.append(other->text(QAccessible::Name));
        QVERIFY2(labels.contains(accessible), qPrintable(labels.join(u',')));
    } else {
        QCOMPARE(iface->text(QAccessible::Name), accessible);
    }
}

void TestWindowLook::icon()
{
    PQL window;
    for (int size : {16, 32}) {
        const QImage image = window.windowIcon().pixmap(size, size).toImage();
        QCOMPARE(image.size(), QSize(size, size));
        QSet<QRgb> colours;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const bool corner = (x == 0 || x == size - 1) && (y == 0 || y == size - 1);
                const QRgb pixel = image.pixel(x, y);
                QCOMPARE(qAlpha(pixel), corner ? 0 : 255);
                if (!corner)
                    colours.insert(pixel);
            }
        }
        QVERIFY(colours.size() <= 16);
        QCOMPARE(image.pixel(size / 2, 0), qRgb(0, 0, 0));              // black outline
        QCOMPARE(image.pixel(size / 2, 1), qRgb(255, 255, 255));        // raised top edge
        QCOMPARE(image.pixel(size - 2, size / 2), qRgb(128, 128, 128)); // shaded right edge
    }
    QCOMPARE(pql::applicationIcon().availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
}

QTEST_MAIN(TestWindowLook)
#include "tst_window_look.moc"
