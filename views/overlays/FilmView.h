#pragma once

#include "views/overlays/OverlayItem.h"


struct FilmRecord;

// The mark camera's overlay: over the live video a red circle around the
// mark of the latest scan with the outline and text of the code read there;
// with its history on, the marks of the running task as thumbnails in the
// corners ("未检出" where no mark was found). It keeps nothing of its own:
// it draws the application's film list at paint time.
class FilmView : public OverlayItem
{
    Q_OBJECT
    Q_PROPERTY(int videoOutputX READ videoOutputX WRITE setVideoOutputX NOTIFY videoOutputXChanged)
    Q_PROPERTY(int videoOutputY READ videoOutputY WRITE setVideoOutputY NOTIFY videoOutputYChanged)
    Q_PROPERTY(int videoOutputWidth READ videoOutputWidth WRITE setVideoOutputWidth NOTIFY videoOutputWidthChanged)
    Q_PROPERTY(int videoOutputHeight READ videoOutputHeight WRITE setVideoOutputHeight NOTIFY videoOutputHeightChanged)
    Q_PROPERTY(bool showHistory READ showHistory WRITE setShowHistory NOTIFY showHistoryChanged)

public:
    explicit FilmView(QQuickItem *parent = nullptr);

    int videoOutputX() const { return m_x; }
    void setVideoOutputX(int v);
    int videoOutputY() const { return m_y; }
    void setVideoOutputY(int v);
    int videoOutputWidth() const { return m_width; }
    void setVideoOutputWidth(int v);
    int videoOutputHeight() const { return m_height; }
    void setVideoOutputHeight(int v);
    bool showHistory() const { return m_showHistory; }
    void setShowHistory(bool v);

    void paint(QPainter *painter) override;
    static void drawCircle(QPainter *painter, const QRectF &rect);

signals:
    void videoOutputWidthChanged();
    void videoOutputHeightChanged();
    void videoOutputXChanged();
    void videoOutputYChanged();
    void showHistoryChanged();

private:
    // The code's outline and text of a record, mapped by the rotation from
    // its image onto the item at origin (h, v) with scale s.
    static void drawOutline(QPainter *painter, const FilmRecord &record, double originH, double originV, double s,
                            int rotation);
    void storeInt(int &field, int v, void (FilmView::*changed)());

    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_showHistory = false;
};
