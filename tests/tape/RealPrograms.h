#pragma once
// The real programs the tape links talk to, started and ended by the tests: OBS Studio under an X
// server of its own on a private profile, with OBS's own answers from a client apart from the
// program's (obs_control.py); mpv with its MPRIS plugin on the test's session bus, driven and
// read through mpv's own IPC socket. Each is killed by its process, never by name.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

inline const QString kTapeScripts = QStringLiteral(TAPE_SCRIPTS);

inline bool installed(const char *program) { return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty(); }

class RealObs {
public:
    // What is missing to run OBS Studio here; empty when nothing is.
    static QString missing() {
        for (const char *program : {"obs", "Xvfb"})
            if (!installed(program))
                return QStringLiteral("%1 is not installed").arg(QString::fromLatin1(program));
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"), {"-c", "import websockets"}) != 0)
            return QStringLiteral("python3-websockets is not installed");
        return {};
    }

    ~RealObs() {
        kill();
        if (xvfb_.state() != QProcess::NotRunning) {
            xvfb_.terminate();
            xvfb_.waitForFinished(5000);
        }
    }

    // OBS Studio on a fresh profile with its WebSocket server on `port`, answering; its X server
    // is started once and kept across restarts.
    bool start(int port, const QString &password = {}) {
        kill();
        if (QProcess::execute(QStringLiteral("bash"), {kTapeScripts + "/obs_profile.sh", dir_.path(),
                                                       QString::number(port), password}) != 0)
            return false;
        if (display_.isEmpty() && !startX())
            return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir_.path());
        env.insert("XDG_CONFIG_HOME", dir_.filePath(".config"));
        QDir(dir_.path()).mkpath("runtime");
        QFile::setPermissions(dir_.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", dir_.filePath("runtime"));
        env.insert("DISPLAY", display_);
        env.insert("LIBGL_ALWAYS_SOFTWARE", "1");
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        obs_.setProcessEnvironment(env);
        obs_.setWorkingDirectory(dir_.path());
        obs_.setStandardOutputFile(dir_.filePath("obs.log"), QIODevice::Append);
        obs_.setStandardErrorFile(dir_.filePath("obs.log"), QIODevice::Append);
        obs_.start(QStringLiteral("obs"), {"--multi", "--disable-missing-files-check"});
        if (!obs_.waitForStarted(10000))
            return false;
        // OBS's own client, apart from the program's: ready when OBS answers.
        control_.start(QStringLiteral("/usr/bin/python3"),
                       {kTapeScripts + "/obs_control.py", QString::number(port), password});
        const QJsonObject ready = answer(40000);
        return ready.value("ready").toBool();
    }

    // Gone as a crash or a kill leaves it: OBS Studio 29 handles no gentler signal anyway.
    void kill() {
        for (QProcess *p : {&control_, &obs_})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(10000);
            }
    }

    // OBS Studio's answer to a request, with "before" and "after": monotonic seconds around it.
    QJsonObject call(const QString &type, const QJsonObject &data = {}) {
        QJsonObject request{{"requestType", type}};
        if (!data.isEmpty())
            request.insert("requestData", data);
        control_.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
        return answer(15000);
    }
    QJsonObject status() { return call(QStringLiteral("GetRecordStatus")); }
    QString log() const {
        QFile f(dir_.filePath("obs.log"));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll().right(3000)) : QString();
    }

private:
    bool startX() {
        xvfb_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        if (!xvfb_.waitForStarted(10000))
            return false;
        while (!xvfb_.canReadLine())
            if (!xvfb_.waitForReadyRead(10000))
                return false;
        display_ = u':' + QString::fromLatin1(xvfb_.readLine().trimmed());
        return true;
    }
    QJsonObject answer(int ms) {
        while (!control_.canReadLine())
            if (!control_.waitForReadyRead(ms))
                return {{"error", QString::fromUtf8(control_.readAllStandardError())}};
        return QJsonDocument::fromJson(control_.readLine()).object();
    }

    QTemporaryDir dir_;
    QProcess xvfb_, obs_, control_;
    QString display_;
};

class RealMpv {
public:
    static QString missing() {
        if (!installed("mpv"))
            return QStringLiteral("mpv is not installed");
        if (!QFile::exists(kPlugin))
            return QStringLiteral("mpv-mpris is not installed");
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            return QStringLiteral("no session bus (run under dbus-run-session)");
        return {};
    }

    ~RealMpv() { kill(); }

    // A video of its own making: seekable, ten frames a second (the player's position moves a frame
    // at a time without outputs).
    bool makeVideo() {
        return QProcess::execute(QStringLiteral("mpv"),
                                 {"--no-config", "--really-quiet", "av://lavfi:testsrc=duration=300:size=160x120:rate=10",
                                  "--o=" + video(), "--of=matroska", "--ovc=mpeg4"}) == 0 &&
               QFile::exists(video());
    }

    // mpv with the video loaded and paused at its start, on the session bus.
    bool start() {
        kill();
        mpv_.setStandardOutputFile(dir_.filePath("mpv.log"), QIODevice::Append);
        mpv_.setProcessChannelMode(QProcess::MergedChannels);
        mpv_.start(QStringLiteral("mpv"), {"--no-config", "--script=" + kPlugin, "--vo=null", "--ao=null",
                                           "--idle=yes", "--keep-open=yes", "--pause",
                                           "--input-ipc-server=" + ipcPath(), video()});
        if (!mpv_.waitForStarted(10000))
            return false;
        return QTest::qWaitFor([&] { return connectIpc() && property("duration").toDouble() > 0; }, 20000);
    }
    void kill() {
        ipc_.abort();
        if (mpv_.state() != QProcess::NotRunning) {
            mpv_.kill();
            mpv_.waitForFinished(10000);
        }
    }
    // Stopped or continued as a process: a player that does not answer, and answers again.
    void signal(int sig) { ::kill(static_cast<pid_t>(mpv_.processId()), sig); }

    // mpv's own commands and properties, through its IPC socket.
    QJsonObject command(const QJsonArray &args) {
        ipc_.write(QJsonDocument(QJsonObject{{"command", args}, {"request_id", ++requests_}}).toJson(QJsonDocument::Compact) +
                   '\n');
        ipc_.flush();
        for (;;) {
            while (!ipc_.canReadLine())
                if (!ipc_.waitForReadyRead(5000))
                    return {};
            const QJsonObject reply = QJsonDocument::fromJson(ipc_.readLine()).object();
            if (reply.value("request_id").toInt() == requests_)
                return reply;  // events in between are of no interest
        }
    }
    QVariant property(const char *name) {
        return command({"get_property", QString::fromLatin1(name)}).value("data").toVariant();
    }
    void set(const char *name, const QJsonValue &value) { command({"set_property", QString::fromLatin1(name), value}); }
    double position() { return property("time-pos").toDouble(); }

private:
    QString video() const { return dir_.filePath("tape.mkv"); }
    QString ipcPath() const { return dir_.filePath("mpv.ipc"); }
    bool connectIpc() {
        if (ipc_.state() == QLocalSocket::ConnectedState)
            return true;
        ipc_.connectToServer(ipcPath());
        return ipc_.waitForConnected(1000);
    }

    static inline const QString kPlugin = QStringLiteral("/usr/lib/mpv-mpris/mpris.so");
    QTemporaryDir dir_;
    QProcess mpv_;
    QLocalSocket ipc_;
    int requests_ = 0;
};
