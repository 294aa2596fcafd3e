#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// Runs the simulated machine controller (tools/simcontroller) in its own
// process for a test: starts it on a loopback address of its own, waits for
// "READY", sends control lines through its stdin and reads its transcript.
class SimController
{
public:
    SimController();
    ~SimController();
    SimController(const SimController &) = delete;
    SimController &operator=(const SimController &) = delete;

    // Starts the simulator with the extra arguments. Without an address it
    // tries 127.0.0.x addresses until one is free on the port (9100 unless
    // "--port" is among the arguments). No announcements unless the arguments
    // ask for them.
    bool start(const QStringList &arguments = {}, const QString &address = QString());
    // Closes stdin, which ends the simulator; kills it when it hangs.
    void stop();
    bool isRunning() const;
    bool waitForExit(int timeoutMs);
    qint64 processId() const { return m_process.processId(); }
    int exitCode() const;
    QString address() const { return m_address; }
    QString transcriptPath() const { return m_transcriptPath; }
    QString errorOutput() const { return m_stderr; }

    // A control line ("set status 1", "now alarm 3", "on 3 delay 500"...);
    // true when the simulator answered OK.
    bool control(const QString &line, QString *error = nullptr);
    // A position read back ("web", "point0"): the text after "OK", empty
    // when the simulator refused or did not answer.
    QString query(const QString &key);

    QStringList transcript() const;
    // The frames of the "RX" and "TX" lines, unescaped, in order.
    QList<QByteArray> received() const;
    QList<QByteArray> sent() const;
    // The command texts of the received "CCMD" frames ("3;", "1,0,0,0,0,0;").
    QStringList receivedCommands() const;
    // Polls the transcript until the predicate holds or the time is up.
    bool waitFor(const std::function<bool(const QStringList &lines)> &predicate, int timeoutMs = 3000) const;
    bool waitForLine(const QString &line, int timeoutMs = 3000) const;

    static QString escape(const QByteArray &bytes);
    static QByteArray unescape(const QString &text);
    static QString binaryPath();

private:
    bool startOn(const QString &address, const QStringList &arguments);
    // Reads stdout until a whole line arrives; empty when the process ended or the time ran out.
    QString readLine(int timeoutMs);
    QList<QByteArray> frames(const QString &tag) const;

    QProcess m_process;
    QString m_address;
    QString m_transcriptPath;
    QByteArray m_stdout;
    QString m_stderr;
};
