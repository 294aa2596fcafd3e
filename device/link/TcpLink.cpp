#include "device/link/TcpLink.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err)) + QStringLiteral(" (") + QString::number(err)
        + QStringLiteral(")");
}

bool setBlocking(int fd, bool blocking)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    return fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

} // namespace

TcpLink::~TcpLink()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TcpLink::open(const QString &address, quint16 port, int timeoutMs)
{
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    if (inet_pton(AF_INET, address.toLatin1().constData(), &peer.sin_addr) != 1) {
        m_error = QStringLiteral("not an IPv4 address: ") + address;
        return false;
    }
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (m_fd < 0) {
        m_error = QStringLiteral("Create socket failed: ") + errnoText(errno);
        return false;
    }
    // A non-blocking connect bounds the wait for a controller that does not
    // answer; the socket is blocking again afterwards for the reader.
    if (!setBlocking(m_fd, false)) {
        m_error = QStringLiteral("Create socket failed: ") + errnoText(errno);
        return false;
    }
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&peer), sizeof(peer)) != 0) {
        if (errno != EINPROGRESS) {
            m_error = QStringLiteral("Connect failed: ") + errnoText(errno);
            return false;
        }
        pollfd p{m_fd, POLLOUT, 0};
        int r;
        do {
            r = ::poll(&p, 1, timeoutMs);
        } while (r < 0 && errno == EINTR);
        if (r == 0) {
            m_error = QStringLiteral("Connect failed: timed out");
            return false;
        }
        int soError = 0;
        socklen_t len = sizeof(soError);
        if (r < 0 || getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
            m_error = QStringLiteral("Connect failed: ") + errnoText(r < 0 ? errno : soError);
            return false;
        }
    }
    setBlocking(m_fd, true);
    // Commands are small and each waits for its reply: no Nagle delay.
    const int one = 1;
    setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    timeval tv{kSendTimeoutMs / 1000, (kSendTimeoutMs % 1000) * 1000};
    setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
    return true;
}

void TcpLink::close()
{
    if (m_closing.exchange(true))
        return;
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

bool TcpLink::sendAll(const char *data, qint64 size, int *err)
{
    qint64 done = 0;
    while (done < size) {
        if (m_closing.load()) {
            *err = ENOTCONN;
            return false;
        }
        const ssize_t n = ::send(m_fd, data + done, size_t(size - done), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *err = errno;
            return false;
        }
        done += n;
    }
    return true;
}

bool TcpLink::waitReadable(int timeoutMs)
{
    pollfd p{m_fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    return r != 0;
}

qint64 TcpLink::receive(char *buffer, qint64 maxBytes, int *err, bool wait)
{
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, size_t(maxBytes), wait ? 0 : MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            *err = errno;
        return n;
    }
}
