#pragma once

#include "tests/support/TestFiles.h"

#include <QDeadlineTimer>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <mosquitto.h>

// A mosquitto broker of a test, on a loopback address and port of its own,
// with the account rules asked for (anonymous clients or not, a password file
// made by mosquitto_passwd); its verbose log is read back.
// Header-only: the tests that use it link the online library, and so
// libmosquitto, which also makes the second client that publishes.
class MqttBroker
{
public:
    struct Options
    {
        QString address = QStringLiteral("127.0.0.1");
        quint16 port = 0; // 0: a free one
        QMap<QString, QString> users; // a password file with these accounts
        bool anonymous = true;        // clients without a user name are let in
    };

    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin", "/usr/bin"}); }

    ~MqttBroker() { kill(); }

    bool start(const Options &options)
    {
        m_address = options.address;
        m_port = options.port;
        if (m_port == 0) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress(m_address)))
                return false;
            m_port = probe.serverPort();
        }
        // Started as root, mosquitto would become its own user, who may not read the test's files.
        QByteArray conf = "user root\nlistener " + QByteArray::number(m_port) + ' ' + m_address.toLatin1() + "\n";
        conf += options.anonymous ? "allow_anonymous true\n" : "allow_anonymous false\n";
        if (!options.users.isEmpty()) {
            QByteArray plain;
            for (auto it = options.users.cbegin(); it != options.users.cend(); ++it)
                plain += it.key().toUtf8() + ':' + it.value().toUtf8() + '\n';
            const QString passwords = m_dir.filePath(QStringLiteral("passwords"));
            if (!writeFile(passwords, plain) || QProcess::execute(QStringLiteral("mosquitto_passwd"), {"-U", passwords}) != 0)
                return false;
            conf += "password_file " + passwords.toUtf8() + "\n";
        }
        const QString confPath = m_dir.filePath(QStringLiteral("mosquitto.conf"));
        if (!writeFile(confPath, conf))
            return false;
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program(), {QStringLiteral("-v"), QStringLiteral("-c"), confPath});
        return m_process.waitForStarted(10000) && waitForLog(QStringLiteral(" running"), 30000);
    }

    QString address() const { return m_address; }
    quint16 port() const { return m_port; }
    QString log()
    {
        m_log += QString::fromUtf8(m_process.readAll());
        return m_log;
    }
    int count(const QString &text) { return int(log().count(text)); }
    bool waitForLog(const QString &text, int ms = 10000)
    {
        return QTest::qWaitFor([&] { return log().contains(text); }, ms);
    }
    // The broker vanishes without a goodbye.
    void kill()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    // Publishes with QoS 1 from a second client; true once the broker took it.
    bool publish(const QString &topic, const QByteArray &payload, const QString &user = QString(),
                 const QString &password = QString()) const
    {
        mosquitto_lib_init();
        bool published = false;
        mosquitto *client = mosquitto_new(nullptr, true, &published);
        mosquitto_publish_callback_set(client, [](mosquitto *, void *flag, int) { *static_cast<bool *>(flag) = true; });
        if (!user.isEmpty())
            mosquitto_username_pw_set(client, user.toUtf8().constData(), password.toUtf8().constData());
        int mid = 0;
        bool ok = mosquitto_connect(client, m_address.toLatin1().constData(), m_port, 10) == MOSQ_ERR_SUCCESS
                  && mosquitto_publish(client, &mid, topic.toUtf8().constData(), int(payload.size()), payload.constData(), 1,
                                       false) == MOSQ_ERR_SUCCESS;
        const QDeadlineTimer deadline(10000);
        while (ok && !published && !deadline.hasExpired())
            ok = mosquitto_loop(client, 100, 1) == MOSQ_ERR_SUCCESS;
        mosquitto_disconnect(client);
        mosquitto_destroy(client);
        return ok && published;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
    quint16 m_port = 0;
    QString m_log;
};
