// Qt reads settings from beside a Windows program: qt.conf (its paths and
// the platform's arguments) and qtlogging.ini (which messages it prints),
// and plugins from the folders those name. Pathquill's programs take none
// from the folder they lie in or run in: their qt.conf is built in (the
// resource :/qt/etc/qt.conf, read before any file), the Qt they link loads
// no plugin at run time, and the logging rules set here, as the program is
// loaded, before its application object and platform plugin exist, decide
// every category and level over any qtlogging.ini Qt still reads from
// beside the program (QtProject\ and data\QtProject\). They show warnings
// and critical messages of every category, and debug and info messages of
// none (Qt's own defaults show some of those). The user's QT_LOGGING_RULES
// and QT_LOGGING_CONF still come after them.

#include <QLoggingCategory>

namespace {

// Runs among the program's static constructors. Qt reloads its built-in
// qt.conf once the application object exists, should its resource not be
// registered yet; the rules set here stay.
void ownLoggingRules()
{
    QLoggingCategory::setFilterRules(
        QStringLiteral("*.debug=false\n*.info=false\n*.warning=true\n*.critical=true"));
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(ownLoggingRules)
