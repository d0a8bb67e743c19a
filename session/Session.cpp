#include "session/Session.h"

#include "ui/Clock.h"
#include "ui/NativePath.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace {

std::unique_ptr<logfile::Presence> presenceIn(const QString &folder) {
    if (folder.isEmpty())
        return nullptr;
    const QString copy =
        QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(QRandomGenerator::global()->generate());
    return std::make_unique<logfile::Presence>(toNativePath(folder), toNativePath(copy));
}

}  // namespace

Session::Session(SettingsStore &store, const Clock &clock, const QString &presenceFolder)
    : store_(store), clock_(clock), log_(store, presenceIn(presenceFolder)) {
    // While another program holds the log's lock, the windows keep repainting and the keys typed
    // meanwhile wait their turn; after two seconds the change gives up, and the observer is told.
    logfile::setLockWait({std::chrono::milliseconds(2000), [](void *) {
                              QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
                          }});
    tapeSource_.restore();
    tick();
}

QString Session::defaultPresenceFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/quorvane-logs");
}

void Session::tick() {
    const QDateTime now = clock_.now();
    pcTime_ = now.toString(QStringLiteral("hh:mm:ss AP"));
    tape_.tick(now);
    tapeSource_.tick(now);
    scenario_.tick(now);
}

LogEntry Session::entry(const QString &text, const EventColumns &events, const Subject &subject) const {
    LogEntry e;
    // Read afresh; the times are as shown, up to a second old, but a linked tape's is where the
    // recording is at this moment.
    e.date = clock_.now().date();
    e.pcTime = pcTime_;
    e.vcrTime = clockText(tapeSource_.stamp());
    e.scenarioTime = clockText(scenario_.shown());
    e.participant = subject.participant;
    e.scenario = subject.scenario;
    e.comment = text;
    e.events = events;
    return e;
}
