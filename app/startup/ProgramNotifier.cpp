#include "app/startup/ProgramNotifier.h"

#include "configuration/Notifier.h"
#include "app/DravolinteApp.h"

#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

ProgramNotifier::ProgramNotifier(DravolinteApp *app)
    : QObject(app), m_app(app)
{
    // Both may be called from any thread; the boxes and the loop belong to the main thread.
    Notifier::setInformationHandler([this](const QString &title, const QString &text) {
        qInfo().noquote() << "Notifier::information" << text;
        QMetaObject::invokeMethod(this, [this, title, text] { showBox(title, text); }, Qt::QueuedConnection);
    });
    // Asked on the GUI thread only, where a modal dialog may run.
    Notifier::setFileChooser([](const QString &caption, const QString &folder, const QString &filter) {
        return QFileDialog::getOpenFileName(nullptr, caption, folder, filter);
    });
    Notifier::setExitHandler([this](int code) {
        m_app->setExitCode(code);
        QMetaObject::invokeMethod(this, [this, code] { finishExit(code); }, Qt::QueuedConnection);
    });
}

ProgramNotifier::~ProgramNotifier()
{
    Notifier::resetHandlers();
    for (const QPointer<QMessageBox> &box : std::as_const(m_boxes))
        delete box.data();
}

void ProgramNotifier::showBox(const QString &title, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    m_boxes.append(box);
    box->show();
}

void ProgramNotifier::finishExit(int code)
{
    m_boxes.removeAll(nullptr);
    if (m_boxes.isEmpty()) {
        QCoreApplication::exit(code);
        return;
    }
    // The operator reads the last message before the program goes (or restarts).
    for (const QPointer<QMessageBox> &box : std::as_const(m_boxes))
        connect(box.data(), &QDialog::finished, this, [code] { QCoreApplication::exit(code); });
    QTimer::singleShot(kExitGraceMs, this, [code] { QCoreApplication::exit(code); });
}
