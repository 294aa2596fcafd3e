#include "online/carousel/CarouselImageWindow.h"

#include <QButtonGroup>
#include <QDebug>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTimerEvent>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const char *kOpacity = "ImageOpacity";
} // namespace

CarouselImageWindow::CarouselImageWindow(QWidget *parent)
    : QWidget(parent), m_hasParent(parent != nullptr)
{
    initUI();
    if (parent)
        m_followTimerId = startTimer(1000, Qt::CoarseTimer);
}

CarouselImageWindow::CarouselImageWindow(QWindow *parent)
    : QWidget(nullptr), m_hasParent(parent != nullptr)
{
    initUI();
    connectWindow(parent);
}

CarouselImageWindow::CarouselImageWindow()
    : CarouselImageWindow(static_cast<QWidget *>(nullptr))
{
}

CarouselImageWindow::~CarouselImageWindow() = default;

void CarouselImageWindow::initUI()
{
    setProperty(kOpacity, 1.0);
    m_opacityAnimation = new QPropertyAnimation(this, kOpacity, this);
    m_opacityAnimation->setDuration(kFadeMs);
    m_opacityAnimation->setStartValue(1.0);
    m_opacityAnimation->setEndValue(0.0);
    connect(m_opacityAnimation, &QPropertyAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(&m_changeTimer, &QTimer::timeout, this, &CarouselImageWindow::onImageChangeTimeout);
    connect(&m_images, &CarouselImages::imageArrived, this, &CarouselImageWindow::onImageArrived);
    hide();

    m_buttonGroup = new QButtonGroup(this);
    connect(m_buttonGroup, &QButtonGroup::idClicked, this, &CarouselImageWindow::onImageSwitchButtonClicked);
    m_buttonLayout = new QHBoxLayout;
    m_buttonLayout->setSpacing(10);
    m_buttonLayout->addStretch();
    m_buttonLayout->addStretch();
    m_closeLabel = new QLabel(QStringLiteral("x"), this);
    m_closeLabel->setFixedSize(30, 30);
    auto *top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(m_closeLabel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(m_buttonLayout);
    layout->setContentsMargins(0, 0, 0, 20);
    setStyleSheet(QStringLiteral("QLabel{color:black;font:20pt;background-color:rgba(0,0,0,0);}"));
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint;
    if (!m_hasParent)
        flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
}

void CarouselImageWindow::setImageUrl(const QList<QString> &images, const QList<QString> &links)
{
    m_images.setUrls(images, links);
    m_frame.clear();
}

void CarouselImageWindow::onImageArrived(int index)
{
    if (index == 0) {
        const QSize size = CarouselFrame::sizeFor(m_images.items().first().image.size());
        if (!size.isValid()) {
            // A window of no size, or a strip across the screen: not shown for this list.
            qWarning().noquote() << "CarouselImageWindow::handleNetworkResponse" << "no window for an image of"
                                 << m_images.items().first().image.size() << m_images.items().first().url;
            return;
        }
        setFixedSize(size);
        if (!m_hasParent || m_followedWindow) {
            moveWindow();
            show();
            moveWindow();
            qInfo().noquote() << "CarouselImageWindow::handleNetworkResponse" << "shown" << size.width() << "x"
                              << size.height();
        }
    }
    update();
}

void CarouselImageWindow::initChangeImageButton()
{
    const int n = m_images.count();
    for (int i = int(m_buttons.size()); i < n; ++i) {
        auto *button = new QPushButton(this);
        button->setFixedSize(16, 16);
        button->setCheckable(true);
        m_buttonGroup->addButton(button, i + 1);
        m_buttons.append(button);
        m_buttonLayout->insertWidget(i + 1, button);
    }
    while (m_buttons.size() > n) {
        QAbstractButton *button = m_buttons.takeLast();
        m_buttonGroup->removeButton(button);
        m_buttonLayout->removeWidget(button);
        button->deleteLater();
    }
    m_currentIndex = 0;
}

void CarouselImageWindow::startPlay()
{
    initChangeImageButton();
    onImageSwitchButtonClicked(m_currentIndex + 1);
}

void CarouselImageWindow::checkCurrentButton()
{
    if (m_currentIndex >= 0 && m_currentIndex < m_buttons.size())
        m_buttons.at(m_currentIndex)->setChecked(true);
}

void CarouselImageWindow::onImageSwitchButtonClicked(int buttonId)
{
    // Without images there is nothing to show and no button to check.
    if (m_buttons.isEmpty())
        return;
    m_changeTimer.stop();
    m_currentIndex = buttonId == 0 ? int(m_buttons.size()) - 1 : qBound(0, buttonId - 1, int(m_buttons.size()) - 1);
    checkCurrentButton();
    m_changeTimer.start(kInterval);
    update();
}

void CarouselImageWindow::onImageChangeTimeout()
{
    const int n = m_images.count();
    if (n == 0) {
        m_changeTimer.stop();
        return;
    }
    m_currentIndex = (m_currentIndex + 1) % n;
    checkCurrentButton();
    m_opacityAnimation->stop();
    m_opacityAnimation->start();
    m_changeTimer.start(kInterval);
}

bool CarouselImageWindow::isFading() const
{
    return m_opacityAnimation->state() == QAbstractAnimation::Running;
}

void CarouselImageWindow::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QList<CarouselItem> &items = m_images.items();
    const QRect r = rect();
    const int n = int(items.size());
    if (n == 0) {
        painter.drawText(r, QStringLiteral("404"));
    } else {
        const int current = qBound(0, m_currentIndex, n - 1);
        if (n > 1 && isFading()) {
            const int before = current == 0 ? n - 1 : current - 1;
            m_frame.paint(painter, r, items.at(current).image, items.at(before).image, property(kOpacity).toDouble());
        } else {
            m_frame.paint(painter, r, items.at(current).image);
        }
    }
    painter.end();
    QWidget::paintEvent(event);
}

void CarouselImageWindow::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (m_closeLabel->geometry().contains(at)) {
        hide();
    } else if (m_currentIndex >= 0 && m_currentIndex < m_images.count()) {
        const QString link = m_images.items().at(m_currentIndex).link;
        const QUrl url(link, QUrl::TolerantMode);
        // An ad's link is outside input: it opens a web page, nothing else on this computer.
        if (BoundedGet::isWebUrl(url))
            QDesktopServices::openUrl(url);
        else if (!link.isEmpty())
            qWarning().noquote() << "CarouselImageWindow::mousePressEvent" << "not a web link, not opened" << link;
    }
    QWidget::mousePressEvent(event);
}

void CarouselImageWindow::onPosChanged(int)
{
    moveWindow();
}

void CarouselImageWindow::moveWindow()
{
    if (m_followedWindow) {
        const QPoint corner(m_followedWindow->width() - width(), m_followedWindow->height() - height());
        // A child window: its position is in the followed window's coordinates.
        if (QWindow *handle = windowHandle(); handle && handle->parent() == m_followedWindow)
            handle->setPosition(corner);
        else
            move(corner);
        return;
    }
    if (m_hasParent)
        return;
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.x() + area.width() - width(), area.y() + area.height() - height());
}

void CarouselImageWindow::connectWindow(QWindow *window)
{
    if (m_followedWindow || !window)
        return;
    m_followedWindow = window;
    setProperty("_q_embedded_native_parent_handle", QVariant::fromValue(window->winId()));
    // The platforms that ignore the property (xcb) still take a real child this way.
    winId();
    if (QWindow *handle = windowHandle())
        handle->setParent(window);
    // A child window goes with its parent: the widget takes its window back
    // first, or it would be left holding a deleted one.
    connect(window, &QObject::destroyed, this, [this] {
        hide();
        destroy(true, true);
    });
    connect(window, &QWindow::xChanged, this, &CarouselImageWindow::onPosChanged);
    connect(window, &QWindow::yChanged, this, &CarouselImageWindow::onPosChanged);
    connect(window, &QWindow::widthChanged, this, &CarouselImageWindow::onPosChanged);
    connect(window, &QWindow::heightChanged, this, &CarouselImageWindow::onPosChanged);
    moveWindow();
    if (m_images.count() > 0 && CarouselFrame::sizeFor(m_images.items().first().image.size()).isValid()) {
        show();
        moveWindow();
    }
}

void CarouselImageWindow::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_followTimerId || m_followTimerId == 0) {
        QWidget::timerEvent(event);
        return;
    }
    if (QWidget *parent = parentWidget())
        connectWindow(parent->windowHandle());
    if (m_followedWindow) {
        killTimer(m_followTimerId);
        m_followTimerId = 0;
    }
}
