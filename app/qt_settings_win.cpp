// Qt reads settings from beside a Windows program: qt.conf (its paths and
// the platform's arguments) and qtlogging.ini (which messages it prints),
// and plugins from the folders those name. Pathquill's programs take none
// from the folder they lie in or run in: their qt.conf is built in (the
// resource :/qt/etc/qt.conf, read before any file), the Qt they link loads
// no plugin at run time, and the logging rules set here decide every
// category, as Qt's defaults do, over any qtlogging.ini Qt still reads
// from beside the program (QtProject\ and data\QtProject\). The user's own
// QT_LOGGING_RULES and QT_LOGGING_CONF still come after them.

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

void ownLoggingRules()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*=true\nqt.*.debug=false\nqt.*.info=false"));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(ownLoggingRules)
