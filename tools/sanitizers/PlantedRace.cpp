// A data race planted on purpose, which ThreadSanitizer must report with the
// shim (TsanShim.cpp) loaded: scripts/sanitize.sh tsan runs it and fails
// when it passes silently, so a shim that hides our races is noticed.
//
// One thread writes a value and then posts an unrelated event; the other,
// once a flag that carries no ordering says so, waits on a socket as the
// controller link does (TcpLink::waitReadable, poll underneath) and then
// reads the value. Nothing orders the read after the write: a poll of our
// own is no hand-off of Qt's, though it comes after the post.
#include "device/link/TcpLink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdio>

namespace {

int g_value = 0;
std::atomic<bool> g_written{false};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QObject receiver;
    QThread *writer = QThread::create([&receiver] {
        g_value = 42;
        QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
        g_written.store(true, std::memory_order_relaxed);
    });
    int seen = 0;
    QThread *reader = QThread::create([&seen] {
        while (!g_written.load(std::memory_order_relaxed))
            QThread::yieldCurrentThread();
        TcpLink link; // not connected: the wait is a poll that times out at once
        link.waitReadable(0);
        seen = g_value;
    });
    writer->start();
    reader->start();
    writer->wait();
    reader->wait();
    delete writer;
    delete reader;
    std::printf("read %d\n", seen);
    return 0;
}
