#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

// One TCP connection to the machine controller over POSIX sockets.
//
// The reader thread blocks in receive(); close() shuts the socket down so
// that receive() returns at once, but the descriptor itself is released only
// when the object is destroyed. The driver shares the object between the
// reader and the senders, so no thread ever uses a descriptor number that
// the system has already handed to someone else.
class TcpLink
{
public:
    TcpLink() = default;
    ~TcpLink();
    TcpLink(const TcpLink &) = delete;
    TcpLink &operator=(const TcpLink &) = delete;

    // Connects to address:port (dotted IPv4) within timeoutMs; false with
    // errorText() set on failure. Called once, before the object is shared.
    bool open(const QString &address, quint16 port, int timeoutMs);
    // Wakes a blocked receive() and makes every later call fail. Safe from
    // any thread, any number of times.
    void close();
    // True once close() was called: a failing receive() is then our doing.
    bool isClosing() const { return m_closing.load(); }

    // Writes every byte, continuing after partial writes. False on a real
    // failure (peer gone, send time-out, link closed), with errno in *err.
    bool sendAll(const char *data, qint64 size, int *err);
    // Up to maxBytes into buffer: > 0 bytes read, 0 peer closed, < 0 error
    // with errno in *err (EAGAIN: nothing there yet, when not waiting).
    qint64 receive(char *buffer, qint64 maxBytes, int *err, bool wait = true);
    // Waits up to timeoutMs (-1: no limit) until bytes, the end of the
    // stream or an error can be read; false on time-out.
    bool waitReadable(int timeoutMs);

    // Why open() failed.
    QString errorText() const { return m_error; }

    // A write that the controller does not take within this time drops the link.
    static constexpr int kSendTimeoutMs = 5000;

private:
    int m_fd = -1;
    std::atomic<bool> m_closing{false};
    QString m_error;
};
