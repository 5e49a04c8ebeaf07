// Pathquill: looks up model files in the catalogue PQL.TXT of the working
// directory and copies their relative paths to the clipboard.

#include "app_icon.h"
#include "pql_window.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("PQL"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PQL_VERSION));
    QApplication::setWindowIcon(pql::applicationIcon());

    PQL window;
    if (const std::optional<QString> failure = window.Form_Load()) {
        // Also on standard error, so a failure shows without a display.
        std::fprintf(stderr, "PQL: %s\n", failure->toLocal8Bit().constData());
        QMessageBox box(QMessageBox::Critical, QStringLiteral("PQL"), *failure, QMessageBox::Ok);
        box.setObjectName(QStringLiteral("failureBox"));
        box.exec();
        return 1;
    }
    window.show();
    return app.exec();
}
