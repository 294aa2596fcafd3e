#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class DravolinteApp;
class QMessageBox;

// The program's answers to Notifier: an information box that does not block
// (no nested event loop inside a network or timer handler), and the exit
// request, which stores the code at once and ends the event loop once the
// operator has closed the boxes, or kExitGraceMs after the request.
class ProgramNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int kExitGraceMs = 3000;

    explicit ProgramNotifier(DravolinteApp *app);
    ~ProgramNotifier() override;

private:
    void showBox(const QString &title, const QString &text);
    void finishExit(int code);

    DravolinteApp *m_app;
    QList<QPointer<QMessageBox>> m_boxes;
    bool m_exiting = false;
};
