#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Control lines on stdin and the end of the run: stdin closing, SIGTERM or
// SIGINT all end the event loop cleanly.
class ControlInput : public QObject
{
    Q_OBJECT

public:
    explicit ControlInput(bool readStdin, QObject *parent = nullptr);
    ~ControlInput() override;

signals:
    void line(const QString &text);
    void finished();

private:
    void readStdin();
    void readSignal();

    QSocketNotifier *m_stdin = nullptr;
    QSocketNotifier *m_signal = nullptr;
    QByteArray m_pending;
};
