#pragma once

#include <QGraphicsView>

class GScene;

// The cut-file page's view of the cut scene: the page turned by -90 degrees
// on Qt's gray, white once the scene holds items, its margins as a dash-dot
// frame about 1.2 pixels wide at every zoom. While disabled (as the page
// shows it) the whole page with a 10-point border is fitted in at every
// refresh and resize; an enabled view keeps the zoom its user chose.
class GraphicsView : public QGraphicsView
{
    Q_OBJECT
public:
    static constexpr double kBorderPt = 10.0;
    static constexpr double kMarginPx = 1.2;

    explicit GraphicsView(QWidget *parent = nullptr);

public slots:
    // The scene opened a file: fit its page when disabled.
    void refreshView();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void drawBackground(QPainter *painter, const QRectF &rect) override;

private:
    GScene *cutScene() const;
    void fit();
};
