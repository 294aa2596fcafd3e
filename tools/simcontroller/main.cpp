// simcontroller: a simulated machine controller for tests and for trying the
// program without a machine. See README.md.
#include "tools/simcontroller/network/Announcer.h"
#include "tools/simcontroller/machine/CommandHandler.h"
#include "tools/simcontroller/ControlInput.h"
#include "tools/simcontroller/machine/CutJob.h"
#include "tools/simcontroller/network/FaultScript.h"
#include "tools/simcontroller/machine/MachineState.h"
#include "tools/simcontroller/SimOptions.h"
#include "tools/simcontroller/network/SimServer.h"
#include "tools/simcontroller/machine/StateScript.h"
#include "tools/simcontroller/Transcript.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>

namespace {

enum ExitCode { ExitOk = 0, ExitUsage = 2, ExitBind = 3 };

void say(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void complain(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("simcontroller: ") + text + QLatin1Char('\n')), stderr);
}

void initialState(MachineState &state, const QString &ident)
{
    state.devType = ident.mid(2, 4);
    state.devId = ident;
    state.pcbVers = {{0, "HC1.2"}, {1, "HD1.1"}, {2, "HS1.0"}, {3, "HT1.0"}};
    state.firmwares = {{0, "V3.2.1"}, {1, "V2.0.4"}, {2, "V1.5.0"}, {3, "V1.1.2"}};
}

bool applySetting(MachineState &state, const QString &key, const QString &value, QString &error)
{
    return state.set(key, value, error);
}

// One control line from stdin: "set <key> <value>", a fault rule or a timed
// state change ("on ..." or "at ...", timed ones counting from now),
// "now <action> [arg]", "get <key>" (answered with the value) or "quit".
bool runControlLine(const QString &line, const MachineState &state, StateScript &script, FaultScript &faults,
                    SimServer &server, QString &answer, QString &error)
{
    const QStringList tokens = line.split(QRegularExpression(QStringLiteral("\\s+")));
    const QString &verb = tokens.first();
    if (verb == QLatin1String("get")) {
        if (tokens.size() != 2) {
            error = QStringLiteral("expected: get <key>");
            return false;
        }
        return state.get(tokens.at(1), answer, error);
    }
    if (verb == QLatin1String("set")) {
        if (tokens.size() != 3) {
            error = QStringLiteral("expected: set <key> <value>");
            return false;
        }
        return script.apply(tokens.at(1), tokens.at(2), error);
    }
    if (verb == QLatin1String("on") || verb == QLatin1String("at")) {
        if (!faults.addLine(line, error))
            return false;
        server.startTimedRules();
        if (server.everLinked())
            script.start();
        return true;
    }
    if (verb == QLatin1String("now")) {
        Emission emission;
        if (!FaultScript::parseEmission(tokens.mid(1), emission, error))
            return false;
        server.emitNow(emission);
        return true;
    }
    if (verb == QLatin1String("quit")) {
        QCoreApplication::quit();
        return true;
    }
    error = QStringLiteral("unknown control line: %1").arg(line);
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        say(simUsage());
        return ExitOk;
    }
    SimOptions options;
    QString error;
    if (!parseSimOptions(arguments, options, error)) {
        complain(error);
        return ExitUsage;
    }

    Transcript transcript;
    if (!options.transcriptPath.isEmpty() && !transcript.open(options.transcriptPath)) {
        complain(QStringLiteral("cannot write the transcript %1").arg(options.transcriptPath));
        return ExitUsage;
    }
    MachineState state;
    initialState(state, options.ident());
    for (const QString &setting : options.settings) {
        if (!applySetting(state, setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1),
                          error)) {
            complain(error);
            return ExitUsage;
        }
    }
    StateScript script(state, transcript);
    FaultScript faults;
    faults.setStateLineHandler([&script](const QString &line, QString &lineError) {
        return script.addLine(line, lineError);
    });
    for (const QString &file : options.faultFiles) {
        if (!faults.loadFile(file, error)) {
            complain(error);
            return ExitUsage;
        }
    }
    for (const QString &rule : options.faultRules) {
        if (!faults.addLine(rule, error)) {
            complain(error);
            return ExitUsage;
        }
    }

    CutJob job(state, transcript, options.jobMs);
    CommandHandler handler(state, job, options.perModule);
    SimServer server(handler, job, faults, transcript, options.splitGapMs);
    QObject::connect(&server, &SimServer::clientConnected, &script, &StateScript::start);
    if (!server.listen(options.listenAddress, options.port, error)) {
        complain(QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(options.listenAddress.toString())
                     .arg(options.port)
                     .arg(error));
        return ExitBind;
    }
    Announcer announcer(options.ident());
    if (!announcer.start(options.listenAddress, options.announceAddress, options.announcePort,
                         options.announceIntervalMs, error)) {
        complain(QStringLiteral("cannot announce: %1").arg(error));
        return ExitBind;
    }

    ControlInput control(options.readStdin);
    QObject::connect(&control, &ControlInput::finished, &app, &QCoreApplication::quit);
    QObject::connect(&control, &ControlInput::line, &app, [&](const QString &line) {
        QString lineError;
        QString answer;
        if (runControlLine(line, state, script, faults, server, answer, lineError))
            say(answer.isEmpty() ? QStringLiteral("OK") : QStringLiteral("OK ") + answer);
        else
            say(QStringLiteral("ERROR ") + lineError);
    });

    say(QStringLiteral("READY"));
    return app.exec();
}
