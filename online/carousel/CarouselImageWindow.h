#pragma once

#include "online/carousel/CarouselFrame.h"
#include "online/carousel/CarouselImages.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QPropertyAnimation;
#include <QWindow>

// The advertising carousel: a small frameless tool window that shows its
// images one at a time, changing every 5000 ms with a 1000 ms cross-fade,
// with a row of buttons to jump to an image and an "x" that hides it; a
// click elsewhere opens the image's link (web links only). It sits in the
// bottom-right corner of the window it follows, as a native child of it, or,
// with no parent at all, in the corner of the primary screen's available
// area, above other windows. It shows itself when the first image of a list
// has arrived, at that image's aspect ratio.
class CarouselImageWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kInterval = 5000;
    static constexpr int kFadeMs = 1000;

    // A window owned by parent, following parent's native window once it has one.
    explicit CarouselImageWindow(QWidget *parent);
    // A window following parent (none: the screen's corner, on top).
    explicit CarouselImageWindow(QWindow *parent);
    CarouselImageWindow();
    ~CarouselImageWindow() override;

    // Replaces the images (and their links) and fetches them; startPlay follows.
    void setImageUrl(const QList<QString> &images, const QList<QString> &links);
    // One button per image, and the cycle from the first image.
    void startPlay();

    // The state, for the carousel's tests.
    int currentIndex() const { return m_currentIndex; }
    bool isFading() const;
    const QList<QAbstractButton *> &buttons() const { return m_buttons; }
    QLabel *closeLabel() const { return m_closeLabel; }
    QWindow *followedWindow() const { return m_followedWindow; }
    const CarouselImages &images() const { return m_images; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private slots:
    void onImageSwitchButtonClicked(int buttonId);
    void onImageArrived(int index);
    void onImageChangeTimeout();
    void onPosChanged(int arg);

private:
    void initUI();
    void initChangeImageButton();
    void connectWindow(QWindow *window);
    void moveWindow();
    // Checks the button of currentIndex, when it has one.
    void checkCurrentButton();

    QTimer m_changeTimer;
    int m_currentIndex = 0;
    QPropertyAnimation *m_opacityAnimation = nullptr;
    QList<QAbstractButton *> m_buttons;
    CarouselImages m_images;
    CarouselFrame m_frame;
    QButtonGroup *m_buttonGroup = nullptr;
    QHBoxLayout *m_buttonLayout = nullptr;
    QLabel *m_closeLabel = nullptr;
    QPointer<QWindow> m_followedWindow;
    int m_followTimerId = 0;
    bool m_hasParent = false;
};
