#include "tools/simcontroller/ControlInput.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; the event loop does the rest.
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

ControlInput::ControlInput(bool readStdin, QObject *parent)
    : QObject(parent)
{
    if (::pipe(signalPipe) == 0) {
        ::fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
        ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        m_signal = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_signal, &QSocketNotifier::activated, this, &ControlInput::readSignal);
    }
    if (readStdin) {
        m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_stdin, &QSocketNotifier::activated, this, &ControlInput::readStdin);
    }
}

ControlInput::~ControlInput()
{
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    for (int &fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void ControlInput::readSignal()
{
    char buffer[16];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    emit finished();
}

void ControlInput::readStdin()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        m_stdin->setEnabled(false);
        emit finished();
        return;
    }
    m_pending.append(buffer, n);
    qsizetype end = m_pending.indexOf('\n');
    while (end >= 0) {
        const QString text = QString::fromUtf8(m_pending.left(end)).trimmed();
        m_pending.remove(0, end + 1);
        if (!text.isEmpty())
            emit line(text);
        end = m_pending.indexOf('\n');
    }
}
