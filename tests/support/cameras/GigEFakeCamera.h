#pragma once

#include "AravisApi.h"
#include "tests/support/cameras/PixelEncoding.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMutex>
#include <QTest>
#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>

// Aravis's fake GigE Vision camera, run by the test in its own process on
// 127.0.0.1 (the fixed port 3956: tests using it share a lock), showing a
// picture the test chooses in whatever pixel format the camera is set to.
class GigEFakeCamera
{
public:
    static constexpr quint32 kWidth = 0x100;
    static constexpr quint32 kHeight = 0x104;
    static constexpr quint32 kPixelFormat = 0x128;
    static constexpr quint32 kFramePeriodUs = 0x138;

    GigEFakeCamera() = default;
    GigEFakeCamera(const GigEFakeCamera &) = delete;
    GigEFakeCamera &operator=(const GigEFakeCamera &) = delete;
    ~GigEFakeCamera() { stop(); }

    // Serves as serial; the port may still be held for a moment by a camera
    // that another test is letting go.
    bool start(const char *serial = "CHK01", int waitMs = 60000)
    {
        stop();
        if (!holdMachineLock(300000))
            return false;
        const bool running = QTest::qWaitFor(
            [&] {
                m_camera = arv_gv_fake_camera_new("127.0.0.1", serial);
                if (m_camera && arv_gv_fake_camera_is_running(m_camera))
                    return true;
                g_clear_object(&m_camera);
                return false;
            },
            waitMs);
        if (running)
            arv_fake_camera_set_fill_pattern(fake(), &GigEFakeCamera::fill, this);
        static const guint quiet = g_log_set_handler(nullptr, G_LOG_LEVEL_CRITICAL, &GigEFakeCamera::glibLog, nullptr);
        Q_UNUSED(quiet);
        return running;
    }
    // The camera is gone (unplugged, switched off).
    void stop()
    {
        // The pointer stays valid while the camera's thread, which fills
        // through it, is being ended.
        if (m_camera)
            g_object_unref(m_camera);
        m_camera = nullptr;
    }
    bool isRunning() const { return m_camera != nullptr; }

    // The port is the machine's, not the test run's: suites of other checkouts
    // on this computer wait here too. Held until this process ends.
    static bool holdMachineLock(int waitMs)
    {
        static int fd = -1;
        if (fd >= 0)
            return true;
        const QByteArray path = QFile::encodeName(QDir::tempPath() + QStringLiteral("/dravo-gige-3956.lock"));
        const int file = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (file < 0)
            return true; // no lock to be had: go on as before
        if (!QTest::qWaitFor([file] { return ::flock(file, LOCK_EX | LOCK_NB) == 0; }, waitMs)) {
            ::close(file);
            return false;
        }
        fd = file;
        return true;
    }

    ArvFakeCamera *fake() const { return arv_gv_fake_camera_get_fake_camera(m_camera); }
    void write(quint32 address, quint32 value) { arv_fake_camera_write_register(fake(), address, value); }
    quint32 read(quint32 address) const
    {
        guint32 value = 0;
        arv_fake_camera_read_register(fake(), address, &value);
        return value;
    }
    void setSize(int width, int height)
    {
        write(kWidth, quint32(width));
        write(kHeight, quint32(height));
    }
    // Scaled to the camera's size at each frame.
    void setPicture(const QImage &picture)
    {
        QMutexLocker lock(&m_lock);
        m_picture = picture;
    }
    int framesSent() const { return m_frames.load(); }

    // Whether another client asking now gets control of the camera (the
    // answer takes Aravis's 2.5 s when some client holds it).
    static bool otherClientGetsControl()
    {
        GInetAddress *lo = g_inet_address_new_from_string("127.0.0.1");
        ArvDevice *device = arv_gv_device_new(lo, lo, nullptr);
        const bool controls = device && arv_gv_device_is_controller(ARV_GV_DEVICE(device));
        if (device)
            g_object_unref(device);
        g_object_unref(lo);
        return controls;
    }

private:
    // Runs on the fake camera's thread for every frame; the buffer is as
    // large as the frame, though it reports no size yet.
    static void fill(ArvBuffer *buffer, void *data, guint32, guint32, ArvPixelFormat format)
    {
        auto *self = static_cast<GigEFakeCamera *>(data);
        const int w = int(self->read(kWidth)), h = int(self->read(kHeight));
        QImage picture;
        {
            QMutexLocker lock(&self->m_lock);
            picture = self->m_picture;
        }
        if (picture.isNull()) {
            picture = QImage(w, h, QImage::Format_RGB32);
            picture.fill(Qt::gray);
        }
        const QByteArray bytes = PixelEncoding::encode(picture.scaled(w, h), quint32(format));
        const std::size_t frame = std::size_t(w) * std::size_t(h) * ARV_PIXEL_FORMAT_BIT_PER_PIXEL(format) / 8;
        auto *out = static_cast<char *>(const_cast<void *>(arv_buffer_get_data(buffer, nullptr)));
        std::memset(out, 0x55, frame);
        std::memcpy(out, bytes.constData(), qMin(frame, std::size_t(bytes.size())));
        ++self->m_frames;
    }

    // When a frame grows (size, pixel format) in mid-stream, the fake camera
    // sends a few frames it could not fill, asking Aravis about their
    // missing parts; those complaints are its own, not the client's.
    static void glibLog(const gchar *domain, GLogLevelFlags level, const gchar *message, gpointer data)
    {
        if (!g_str_has_prefix(message, "arv_buffer_get_part_"))
            g_log_default_handler(domain, level, message, data);
    }

    ArvGvFakeCamera *m_camera = nullptr;
    QMutex m_lock;
    QImage m_picture;
    std::atomic<int> m_frames{0};
};
