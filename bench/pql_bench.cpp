// Benchmarks at the largest catalogue Pathquill accepts (5001 records), each
// figure printed beside the floor it is divided by, measured in the same run:
//   search     / a plain case-sensitive scan of the same names held contiguously
//   keystroke  / that scan + handing the matching names to a QStringListModel
//   start-up   / the same window with no catalogue
//   memory     / that bare window's peak resident memory
// Figures are medians over many repetitions; p10-p90 gives the spread.
// Usage: pql_bench [--repetitions N]
//        pql_bench --write-catalogue FOLDER   (writes the catalogue it uses)

#include "catalogue_file.h"
#include "model_table.h"
#include "name_search.h"
#include "pql_window.h"
#include "scan.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

namespace {

// ---- The catalogue --------------------------------------------------------

// 5001 records of realistic names: nested directories, mixed case, file
// names of 5 to 40 characters. The same on every run.
QByteArray generateCatalogue()
{
    std::mt19937 random(20070401);
    const auto pick = [&](const std::vector<const char *> &from) {
        return QByteArray(from[random() % from.size()]);
    };
    const std::vector<const char *> areas{"props",     "vehicles",  "characters",
                                          "buildings", "nature",    "weapons",
                                          "fx",        "interiors", "terrain"};
    const std::vector<const char *> subs{"crates", "street", "wrecks",  "heads", "trees",
                                         "rocks",  "old",    "Damaged", "LOD1",  "winter"};
    const std::vector<const char *> words{
        "crate",  "Barrel", "bench",   "lamp",    "Sign",   "fence", "Cone",  "pallet",
        "car",    "Truck",  "van",     "soldier", "Worker", "house", "Tower", "oak",
        "Pine",   "rock",   "Boulder", "rifle",   "smoke",  "Fire",  "door",  "Window",
        "stairs", "tank",   "jeep",    "tent",    "Bridge", "wall"};
    const std::vector<const char *> extensions{".mod", ".MOD", ".mdl", ".Mod", ".m3d"};

    QByteArray bytes;
    for (int record = 0; record < pql::maxRecords; ++record) {
        if (record % 12 == 0) {
            QByteArray dir = pick(areas);
            for (unsigned depth = random() % 3; depth > 0; --depth)
                dir += '\\' + pick(subs);
            bytes += dir + "\r\n";
            continue;
        }
        QByteArray name = pick(words);
        while (name.size() < 3 + qsizetype(random() % 30))
            name += (random() % 3 ? "_" : "") + pick(words);
        name += QByteArray::number(int(random() % 100)).rightJustified(2, '0');
        name = name.left(36) + pick(extensions);
        bytes += name + "\r\n";
    }
    return bytes;
}

// ---- Measuring ---------------------------------------------------------------

// Results land here so that the compiler cannot drop work whose result is
// unused (Qt declares its string searches pure).
volatile qsizetype sink = 0;

struct Figure {
    double median = 0; // microseconds, or MiB for memory
    double p10 = 0;
    double p90 = 0;
};

Figure summarise(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[size_t(q * double(samples.size() - 1) + 0.5)]; };
    return {at(0.5), at(0.1), at(0.9)};
}

// Times `once` `repetitions` times after a few unmeasured runs.
Figure measure(int repetitions, const std::function<void()> &once,
               const std::function<void()> &between = {})
{
    for (int i = 0; i < 3; ++i) {
        once();
        if (between)
            between();
    }
    std::vector<double> samples;
    samples.reserve(size_t(repetitions));
    QElapsedTimer timer;
    for (int i = 0; i < repetitions; ++i) {
        timer.start();
        once();
        samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
        if (between)
            between();
    }
    return summarise(std::move(samples));
}

QString microseconds(const Figure &f)
{
    return QStringLiteral("%1 us (%2-%3)")
        .arg(f.median, 0, 'f', 1)
        .arg(f.p10, 0, 'f', 1)
        .arg(f.p90, 0, 'f', 1);
}

void printRow(const QString &what, const QString &text, qsizetype matches, const QString &figure,
              const QString &floor, double ratio, const QString &target)
{
    std::printf("%-22s %-10s %7s  %-28s %-28s %6.2fx  %s\n", qPrintable(what), qPrintable(text),
                matches < 0 ? "" : qPrintable(QString::number(matches)), qPrintable(figure),
                qPrintable(floor), ratio, qPrintable(target));
}

// ---- Searching ---------------------------------------------------------------

// The same names held in one buffer: the floor of any scan over them.
struct ContiguousNames {
    QString buffer;
    std::vector<std::pair<qsizetype, qsizetype>> spans;

    explicit ContiguousNames(const pql::ModelTable &table)
    {
        for (const pql::ModelRow &row : table) {
            spans.emplace_back(buffer.size(), row.name.size());
            buffer += row.name;
        }
    }

    qsizetype count(QStringView needle) const
    {
        const QStringView all(buffer);
        qsizetype hits = 0;
        for (const auto &[offset, length] : spans)
            hits += all.sliced(offset, length).contains(needle) ? 1 : 0;
        return hits;
    }
};

// Search texts that match all, about half, a few and none of the names.
QStringList searchTexts(const pql::ModelTable &table, const pql::NameSearch &search)
{
    const auto matches = [&](const QString &text) { return search.find(text).size(); };
    QString half;
    double best = 2;
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        const QString text(QChar{c});
        const double share = double(matches(text)) / double(table.size());
        if (std::abs(share - 0.5) < best) {
            best = std::abs(share - 0.5);
            half = text;
        }
    }
    QString few;
    for (const pql::ModelRow &row : table) {
        const QString candidate = row.name.left(7).toLower();
        const qsizetype n = matches(candidate);
        if (n >= 3 && n <= 12) {
            few = candidate;
            break;
        }
    }
    return {QStringLiteral("."), half, few, QStringLiteral("qzx")};
}

// ---- The window --------------------------------------------------------------

// Shows `window` and returns once it has painted its first frame.
class FirstFrame : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void showAndPaint(PQL &window)
{
    FirstFrame frame;
    window.installEventFilter(&frame);
    window.show();
    while (!frame.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    window.removeEventFilter(&frame);
}

// Start-up in this process up to the first frame.
int firstFrameMode(bool withCatalogue)
{
    PQL window;
    if (withCatalogue && window.Form_Load())
        return 2;
    showAndPaint(window);
    return 0;
}

// Start-up in this process, then the peak resident memory in KiB.
int peakMemoryMode(bool withCatalogue)
{
    if (const int failed = firstFrameMode(withCatalogue))
        return failed;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 3;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            std::printf("%s\n", line.mid(6).trimmed().split(' ').front().constData());
            return 0;
        }
    }
    return 4;
}

// Runs this program in `mode` in `folder`, waits for it to end and returns
// what it printed.
QByteArray runChild(const QString &mode, const QString &folder)
{
    QProcess child;
    child.setWorkingDirectory(folder);
    child.start(QCoreApplication::applicationFilePath(), {mode});
    if (!child.waitForFinished(60'000) || child.exitCode() != 0)
        qFatal("run %s failed", qPrintable(mode));
    return child.readAllStandardOutput();
}

double peakMemoryMiB(const QString &mode, const QString &folder)
{
    return runChild(mode, folder).trimmed().toDouble() / 1024.0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes about window features it lacks would
    // bury the table.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type != QtWarningMsg
            || !message.startsWith(QStringLiteral("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    QGuiApplication::setQuitOnLastWindowClosed(false);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2 && args[1] == u"--peak-memory")
        return peakMemoryMode(true);
    if (args.size() == 2 && args[1] == u"--peak-memory-floor")
        return peakMemoryMode(false);
    if (args.size() == 2 && args[1] == u"--first-frame")
        return firstFrameMode(true);
    if (args.size() == 2 && args[1] == u"--first-frame-floor")
        return firstFrameMode(false);
    if (args.size() == 3 && args[1] == u"--write-catalogue") {
        QFile file(QDir(args[2]).filePath(QStringLiteral("PQL.TXT")));
        return file.open(QIODevice::WriteOnly) && file.write(generateCatalogue()) > 0 ? 0 : 1;
    }
    int repetitions = 400;
    if (args.size() == 3 && args[1] == u"--repetitions") {
        bool number = false;
        repetitions = args[2].toInt(&number);
        if (!number || repetitions < 1) {
            std::fprintf(stderr, "pql_bench: --repetitions takes a whole number of 1 or more\n");
            return 2;
        }
    } else if (args.size() > 1) {
        std::fprintf(stderr,
                     "usage: pql_bench [--repetitions N]\n"
                     "       pql_bench --write-catalogue FOLDER\n");
        return 2;
    }

    QTemporaryDir folder;
    {
        QFile file(folder.filePath(QStringLiteral("PQL.TXT")));
        if (!file.open(QIODevice::WriteOnly) || file.write(generateCatalogue()) < 0)
            qFatal("cannot write the catalogue");
    }
    QDir::setCurrent(folder.path());
    const pql::CatalogueResult catalogue = pql::readCatalogue(folder.path());
    const pql::ModelTable &table = catalogue.models;
    const pql::NameSearch search(table);
    const ContiguousNames contiguous(table);
    const QStringList texts = searchTexts(table, search);

    std::printf("Pathquill benchmark: %lld records, %lld models, %d repetitions, "
                "median (p10-p90)\n\n",
                qlonglong(catalogue.records.size()), qlonglong(table.size()), repetitions);
    std::printf("%-22s %-10s %7s  %-28s %-28s %7s  %s\n", "measure", "text", "matches", "figure",
                "floor", "ratio", "target");

    // 1. The search alone.
    std::vector<std::pair<Figure, Figure>> searchFigures;
    for (const QString &text : texts) {
        qsizetype hits = 0;
        const Figure ours = measure(repetitions, [&] { hits = search.find(text).size(); });
        const Figure floor = measure(repetitions, [&] { sink = sink + contiguous.count(text); });
        searchFigures.emplace_back(ours, floor);
        printRow(QStringLiteral("search"), QStringLiteral("\"%1\"").arg(text), hits,
                 microseconds(ours), microseconds(floor), ours.median / floor.median,
                 QStringLiteral("<= 3x"));
    }

    // 2. One whole keystroke in a shown window, by a real key event.
    {
        PQL window;
        if (const auto failure = window.Form_Load())
            qFatal("%s", qPrintable(*failure));
        showAndPaint(window);
        auto *box = window.findChild<QLineEdit *>(QStringLiteral("Search_name"));
        box->setFocus();
        for (qsizetype t = 0; t < texts.size(); ++t) {
            const QString &text = texts[t];
            const QList<int> rows = search.find(text);
            QStringListModel listModel;
            // Any list model must at least be handed the matching names.
            const Figure listFloor = measure(repetitions, [&] {
                QStringList names;
                names.reserve(rows.size());
                for (int row : rows)
                    names.append(table.at(row).name);
                listModel.setStringList(names);
            });

            const QString prefix = text.chopped(1);
            const QChar last = text.back();
            box->clear();
            QTest::keyClicks(box, prefix);
            QCoreApplication::processEvents();
            const auto type = [&] { QTest::keyClick(box, last.toLatin1()); };
            const auto undo = [&] {
                QTest::keyClick(box, Qt::Key_Backspace);
                QCoreApplication::processEvents();
            };
            // The key press runs the whole handler before it returns; the
            // window repaints afterwards, when control is back in the loop.
            const Figure keystroke = measure(repetitions, type, [&] {
                QCoreApplication::processEvents();
                undo();
            });
            const Figure painted = measure(
                repetitions,
                [&] {
                    type();
                    QCoreApplication::processEvents();
                },
                undo);
            const double floor = searchFigures[size_t(t)].second.median + listFloor.median;
            const QString floorText = QStringLiteral("%1 us (scan + list %2)")
                                          .arg(floor, 0, 'f', 1)
                                          .arg(listFloor.median, 0, 'f', 1);
            printRow(QStringLiteral("keystroke"), QStringLiteral("\"%1\"").arg(text), rows.size(),
                     microseconds(keystroke), floorText, keystroke.median / floor,
                     QStringLiteral("<= 2x"));
            printRow(QStringLiteral("  and its repaint"), QStringLiteral("\"%1\"").arg(text),
                     rows.size(), microseconds(painted), floorText, painted.median / floor,
                     QStringLiteral("(information)"));
        }
    }

    // 3. Start-up to the first painted frame: a whole process, from being
    //    started to its first frame, as the user waits for it; then the same
    //    inside this process, which leaves out what every start pays.
    {
        // Whole processes vary a lot from run to run on a shared machine, so
        // the two kinds take turns and each gets many runs.
        const int startups = std::max(30, repetitions / 5);
        std::vector<double> oursSamples, floorSamples;
        QElapsedTimer timer;
        for (int i = 0; i < startups + 2; ++i) {
            timer.start();
            runChild(QStringLiteral("--first-frame"), folder.path());
            const double oursRun = double(timer.nsecsElapsed()) / 1000.0;
            timer.start();
            runChild(QStringLiteral("--first-frame-floor"), folder.path());
            const double floorRun = double(timer.nsecsElapsed()) / 1000.0;
            if (i >= 2) { // the first runs warm the caches
                oursSamples.push_back(oursRun);
                floorSamples.push_back(floorRun);
            }
        }
        const Figure ours = summarise(oursSamples);
        const Figure floor = summarise(floorSamples);
        printRow(QStringLiteral("start-up to 1st frame"), QString(), table.size(),
                 microseconds(ours), microseconds(floor), ours.median / floor.median,
                 QStringLiteral("<= 1.15x"));

        const Figure inOurs = measure(std::max(20, repetitions / 10), [] {
            PQL window;
            if (window.Form_Load())
                qFatal("start-up failed");
            showAndPaint(window);
        });
        const Figure inFloor = measure(std::max(20, repetitions / 10), [] {
            PQL window;
            showAndPaint(window);
        });
        printRow(QStringLiteral("  same, in-process"), QString(), table.size(),
                 microseconds(inOurs), microseconds(inFloor), inOurs.median / inFloor.median,
                 QStringLiteral("(information)"));
    }

    // 4. Peak resident memory after start-up, each in a process of its own.
    {
        const double ours = peakMemoryMiB(QStringLiteral("--peak-memory"), folder.path());
        const double floor = peakMemoryMiB(QStringLiteral("--peak-memory-floor"), folder.path());
        printRow(
            QStringLiteral("peak memory"), QString(), table.size(),
            QStringLiteral("%1 MiB").arg(ours, 0, 'f', 1),
            QStringLiteral("%1 MiB (+%2 MiB)").arg(floor, 0, 'f', 1).arg(ours - floor, 0, 'f', 1),
            ours / floor, QStringLiteral("<= floor + 4 MiB"));
    }

    // 5. pql-catalogue's scan of the tree this catalogue describes, against a
    //    bare walk of the same tree that only collects the names.
    {
        QTemporaryDir tree;
        for (const pql::ModelRow &row : table) {
            const QString folder = tree.filePath(QString(row.directory).replace(u'\\', u'/'));
            QDir().mkpath(folder);
            QFile(QDir(folder).filePath(row.name)).open(QIODevice::WriteOnly);
        }
        qsizetype entries = 0;
        const Figure floor = measure(std::max(20, repetitions / 10), [&] {
            QStringList names;
            QDirIterator walk(tree.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                              QDirIterator::Subdirectories);
            while (walk.hasNext())
                names.append(walk.nextFileInfo().fileName());
            entries = names.size();
        });
        qsizetype records = 0;
        const Figure ours = measure(std::max(20, repetitions / 10), [&] {
            records = pql::catalogueText(pql::scanModelsFolder(tree.path()).records).size();
        });
        sink = sink + records;
        printRow(QStringLiteral("scan a models tree"), QStringLiteral("%1 entries").arg(entries),
                 -1, microseconds(ours), microseconds(floor), ours.median / floor.median,
                 QStringLiteral("(information)"));
        // The same choosing by extension and leaving out by pattern, as a
        // tree too large for a catalogue is scanned: its floor is the plain
        // scan above.
        pql::ScanChoice choice;
        choice.extensions = QStringList{QStringLiteral("mod"), QStringLiteral("MDL")};
        choice.excludes = QStringList{QStringLiteral("*.bak"), QStringLiteral("old/*")};
        const Figure chosen = measure(std::max(20, repetitions / 10), [&] {
            records = pql::catalogueText(pql::scanModelsFolder(tree.path(), choice).records).size();
        });
        sink = sink + records;
        printRow(QStringLiteral("  --extension, --exclude"),
                 QStringLiteral("%1 entries").arg(entries), -1, microseconds(chosen),
                 microseconds(ours), chosen.median / ours.median, QStringLiteral("(information)"));
    }
    return 0;
}
