#include "tools/simcontroller/SimOptions.h"

#include <QCommandLineParser>

namespace {

bool loopbackAddress(const QString &text, QHostAddress &address, QString &error)
{
    QHostAddress parsed;
    if (!parsed.setAddress(text) || parsed.protocol() != QAbstractSocket::IPv4Protocol || !parsed.isLoopback()) {
        error = QStringLiteral("not a loopback IPv4 address (127.0.0.0/8): %1").arg(text);
        return false;
    }
    address = parsed;
    return true;
}

bool number(const QString &text, int min, int max, int &value, const QString &what, QString &error)
{
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < min || parsed > max) {
        error = QStringLiteral("%1 must be a number from %2 to %3: %4").arg(what).arg(min).arg(max).arg(text);
        return false;
    }
    value = parsed;
    return true;
}

QList<QCommandLineOption> optionList()
{
    return {
        {"listen", "Loopback address to listen on (default 127.0.0.1).", "address"},
        {"port", "TCP port (default 9100).", "port"},
        {"announce-to", "Loopback address the announcements go to (default 127.0.0.1).", "address"},
        {"announce-port", "UDP port of the announcements (default 51287).", "port"},
        {"announce-interval", "Milliseconds between announcements, 0 for none (default 1000).", "ms"},
        {"id", "Announced id, whole (characters 2 to 5 carry the type code).", "id"},
        {"type", "Machine type code 07x3 to 07x8 (default 07x5).", "code"},
        {"serial", "Serial part of the built id (default 0001).", "text"},
        {"personality", "legacy (one-shot device info, default) or module (per-module device info).", "kind"},
        {"transcript", "File that receives one line per frame and event.", "file"},
        {"faults", "Fault script file (see README.md); may be given more than once.", "file"},
        {"fault", "One fault rule (see README.md); may be given more than once.", "rule"},
        {"set", "Initial machine state, key=value (see README.md); may be given more than once.", "key=value"},
        {"job-ms", "Milliseconds a received cut job keeps the carriage busy (default 200).", "ms"},
        {"split-gap", "Milliseconds between the two writes of a split reply (default 30).", "ms"},
        {"ignore-stdin", "Do not read control lines from stdin, and do not end when it closes."},
    };
}

} // namespace

QString SimOptions::ident() const
{
    return id.isEmpty() ? QStringLiteral("SM") + type + serial : id;
}

QString simUsage()
{
    QCommandLineParser parser;
    parser.addOptions(optionList());
    parser.addHelpOption();
    return parser.helpText();
}

bool parseSimOptions(const QStringList &arguments, SimOptions &options, QString &error)
{
    QCommandLineParser parser;
    parser.addOptions(optionList());
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }
    int value = 0;
    if (parser.isSet("listen") && !loopbackAddress(parser.value("listen"), options.listenAddress, error))
        return false;
    if (parser.isSet("announce-to") && !loopbackAddress(parser.value("announce-to"), options.announceAddress, error))
        return false;
    if (parser.isSet("port")) {
        if (!number(parser.value("port"), 1, 65535, value, "port", error))
            return false;
        options.port = quint16(value);
    }
    if (parser.isSet("announce-port")) {
        if (!number(parser.value("announce-port"), 1, 65535, value, "announce-port", error))
            return false;
        options.announcePort = quint16(value);
    }
    if (parser.isSet("announce-interval")
        && !number(parser.value("announce-interval"), 0, 3600000, options.announceIntervalMs, "announce-interval",
                   error))
        return false;
    if (parser.isSet("job-ms") && !number(parser.value("job-ms"), 0, 3600000, options.jobMs, "job-ms", error))
        return false;
    if (parser.isSet("split-gap")
        && !number(parser.value("split-gap"), 0, 60000, options.splitGapMs, "split-gap", error))
        return false;
    if (parser.isSet("type"))
        options.type = parser.value("type");
    if (parser.isSet("serial"))
        options.serial = parser.value("serial");
    if (parser.isSet("id"))
        options.id = parser.value("id");
    if (options.ident().size() < 6 || options.ident().contains(QChar(0x03))) {
        error = QStringLiteral("the id needs the type code at characters 2 to 5: %1").arg(options.ident());
        return false;
    }
    if (parser.isSet("personality")) {
        const QString kind = parser.value("personality");
        if (kind != QLatin1String("legacy") && kind != QLatin1String("module")) {
            error = QStringLiteral("personality must be legacy or module: %1").arg(kind);
            return false;
        }
        options.perModule = kind == QLatin1String("module");
    }
    options.transcriptPath = parser.value("transcript");
    options.faultFiles = parser.values("faults");
    options.faultRules = parser.values("fault");
    options.settings = parser.values("set");
    options.readStdin = !parser.isSet("ignore-stdin");
    return true;
}
