#pragma once

#include "tests/support/pages/PageFixtures.h"
#include "tests/support/Recorder.h"
#include "tests/support/SimController.h"

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <memory>

class Config;
class QQmlEngine;
class Varnok120X;

// "simulator" in QML: the project's simulated controller in its own process,
// linked to the driver the pages see.
class SimulatorHandle : public QObject
{
    Q_OBJECT
public:
    explicit SimulatorHandle(Varnok120X &driver) : m_driver(driver) {}
    // Starts it with the extra arguments and links the driver; true once the
    // driver's initial reads are done.
    Q_INVOKABLE bool start(const QStringList &arguments = {});
    Q_INVOKABLE void stop();
    Q_INVOKABLE bool control(const QString &line);
    // The command texts it received ("3;", "2,1,0,5;"), in order.
    Q_INVOKABLE QStringList commands() const { return m_sim.receivedCommands(); }
    // The firmware frames it received, each as its body ("UPG;2;" and the file's bytes, Latin-1).
    Q_INVOKABLE QStringList upgrades() const;
    // Waits, serving events, until the command arrived; false when it did not.
    Q_INVOKABLE bool waitForCommand(const QString &command, int timeoutMs = 10000);
    Q_INVOKABLE QString address() const { return m_sim.address(); }

private:
    Varnok120X &m_driver;
    SimController m_sim;
};

// "notices" in QML: the message boxes the core asked for, recorded.
class NoticeLog : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE QStringList messages() const { return m_recorder.messages().mid(m_seen); }
    Q_INVOKABLE void clear() { m_seen = int(m_recorder.messages().size()); }

private:
    NotifierRecorder m_recorder;
    int m_seen = 0;
};

// Warnings of the pages' own documents: a test or a screenshot run that
// meets one fails. Expected ones are named first.
class QmlWarningGate : public QObject
{
    Q_OBJECT
public:
    QmlWarningGate() = default;
    ~QmlWarningGate() override { uninstall(); }
    // Installed after the test library's own handler, to which it passes every message on.
    void install();
    void uninstall();
    Q_INVOKABLE void expect(const QString &pattern);
    QStringList unexpected() const;

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &text);
    mutable QMutex m_lock;
    QStringList m_expected;
    QStringList m_unexpected;
    QtMessageHandler m_previous = nullptr;
};

// What the pages see, built as the program builds it: a parameter store in a
// folder of its own, the driver, the simulator and the recorded notices.
class QuickWorld
{
public:
    explicit QuickWorld(const QString &folder);
    ~QuickWorld();
    // The program's context objects and import path, plus "simulator",
    // "notices", "fixtures" and, when given, "qmlWarnings".
    void attach(QQmlEngine &engine, QmlWarningGate *gate = nullptr);
    Config &config() { return *m_config; }
    Varnok120X &driver() { return *m_driver; }
    SimulatorHandle &simulator() { return *m_simulator; }

private:
    std::unique_ptr<Config> m_config;
    std::unique_ptr<Varnok120X> m_driver;
    std::unique_ptr<SimulatorHandle> m_simulator;
    NoticeLog m_notices;
    PageFixtures m_fixtures;
};

// Copies the pictures and the icon font beside the program into the working
// directory, where the pages' "file:Dravolinte/res/..." URLs look.
bool copyProgramResources();
