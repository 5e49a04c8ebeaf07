// Pathquill: looks up model files in the catalogue PQL.TXT of the working
// directory and copies their relative paths to the clipboard.

#include "app_icon.h"
#include "pql_window.h"

#include <QApplication>
#include <QMessageBox>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <thread>

namespace {

// ---- Opening the display --------------------------------------------------

// What Qt says while it connects to the display, held back until it is
// known whether the connection worked.
struct HeldMessage {
    QtMsgType type;
    const char *file, *function, *category; // string literals: they outlive us
    int line;
    QString text;
};
QList<HeldMessage> connectMessages;
QtMessageHandler defaultHandler = nullptr;

// What the platform plugins say when the display they were to connect to
// is not there: an X server (xcb) or a Wayland compositor.
constexpr QLatin1StringView noXServer("could not connect to display");
constexpr QLatin1StringView noCompositor("Failed to create wl_display");
// What Qt says when a plugin that was asked for does not exist.
constexpr QLatin1StringView noPlugin("Could not find the Qt platform plugin");

void connected();

// When no platform plugin could start, Qt reports a fatal error and aborts,
// leaving a core dump. Where that is because no display could be reached,
// it is no crash of this program but a missing desktop, and it is said in
// one line. Any other cause (a plugin that is not installed, say) is Qt's
// own to explain: its messages are shown as Qt words them. Either way the
// program ends with status 1.
void whileConnecting(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        connectMessages.append(
            {type, context.file, context.function, context.category, context.line, message});
        return;
    }
    bool x11 = false, wayland = false, missing = false;
    for (const HeldMessage &held : std::as_const(connectMessages)) {
        x11 |= held.text.contains(noXServer);
        wayland |= held.text.contains(noCompositor);
        missing |= held.text.contains(noPlugin);
    }
    if ((x11 || wayland) && !missing) {
        const bool named =
            qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
        std::fprintf(stderr,
                     "PQL: no %s could be reached%s; start Pathquill from a desktop "
                     "session.\n",
                     x11 && wayland ? "X server or Wayland compositor"
                         : x11      ? "X server"
                                    : "Wayland compositor",
                     named ? "" : " (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    } else {
        connected();
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    std::_Exit(1);
}

// Lets Qt's own messages through again, those held back included.
void connected()
{
    qInstallMessageHandler(defaultHandler);
    for (const HeldMessage &held : std::as_const(connectMessages)) {
        const QMessageLogContext context(held.file, held.line, held.function, held.category);
        if (defaultHandler)
            defaultHandler(held.type, context, held.text);
        else
            qt_message_output(held.type, context, held.text);
    }
    connectMessages.clear();
}

// ---- Ending ---------------------------------------------------------------

// Once the window has gone, Qt tears down its connection to the display.
// On X11 that is where the clipboard is handed to a clipboard manager, so
// that a copied path outlives the program; Qt waits for a slow manager
// there, and that wait must not be cut short. Qt's Wayland client, however,
// can wait forever there for its own event thread, which sleeps in
// wl_display_read_events (seen with Qt 6.4.2 and 6.8.2). On Wayland the
// teardown is therefore given a bound: should it not finish within it, the
// process ends anyway, with the status the event loop returned. Nothing is
// lost: the program keeps no state and writes no file, and on Wayland a
// clipboard manager, where there is one, takes a copied path when it is
// copied, not when the program ends.
constexpr std::chrono::milliseconds teardownBound{500};

bool teardownMayHang() { return QGuiApplication::platformName().startsWith(u"wayland"); }

void endWithin(std::chrono::milliseconds bound, int status)
{
    std::thread([bound, status] {
        std::this_thread::sleep_for(bound);
        std::_Exit(status);
    }).detach();
}

} // namespace

int main(int argc, char *argv[])
{
    int status = 0;
    {
        defaultHandler = qInstallMessageHandler(whileConnecting);
        QApplication app(argc, argv);
        connected();

        QCoreApplication::setApplicationName(QStringLiteral("PQL"));
        QCoreApplication::setApplicationVersion(QStringLiteral(PQL_VERSION));
        // The desktop entry's name, which Wayland compositors and docks use
        // to find the program's name and icon.
        QGuiApplication::setDesktopFileName(QStringLiteral("pathquill"));
        QApplication::setWindowIcon(pql::applicationIcon());

        PQL window;
        if (const std::optional<QString> failure = window.Form_Load()) {
            // Also on standard error, so a failure shows without a display.
            std::fprintf(stderr, "PQL: %s\n", failure->toLocal8Bit().constData());
            QMessageBox box(QMessageBox::Critical, QStringLiteral("PQL"), *failure,
                            QMessageBox::Ok);
            box.setObjectName(QStringLiteral("failureBox"));
            box.exec();
            status = 1;
        } else {
            window.show();
            status = app.exec();
        }
        if (teardownMayHang())
            endWithin(teardownBound, status);
    } // the window, then the connection to the display, are torn down here
    return status;
}
