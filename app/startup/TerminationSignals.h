#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT (log-out, shutdown, Ctrl+C) into an ordinary exit
// request, so that the machine is left stopped and the files are written.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signal);

private:
    static void handler(int signal);
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
