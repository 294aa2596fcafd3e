#include "app/startup/TerminationSignals.h"

#include <QDebug>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1};
}

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0) {
        qWarning().noquote() << "TerminationSignals::TerminationSignals" << "socketpair failed";
        return;
    }
    m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = &TerminationSignals::handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    delete m_notifier;
    for (int &fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TerminationSignals::handler(int signal)
{
    // Only async-signal-safe work here: one byte into the pipe.
    const char byte = char(signal);
    if (g_fds[0] >= 0)
        (void)!::write(g_fds[0], &byte, 1);
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    if (::read(g_fds[1], &byte, 1) == 1) {
        qInfo().noquote() << "TerminationSignals::readSignal" << int(byte);
        emit terminationRequested(int(byte));
    }
}
