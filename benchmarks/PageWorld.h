#pragma once

#include "tests/support/pages/QuickWorld.h"
#include "app/startup/QmlSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <memory>

// The pages' engine with the program's context objects, in a folder of its
// own holding the pictures, which is the current folder while it lives.
class PageWorld
{
public:
    PageWorld()
    {
        if (qEnvironmentVariableIsEmpty("DRAVO_BIN_DIR"))
            qputenv("DRAVO_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());
        m_previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        copyProgramResources();
        QmlSetup::registerTypes();
        m_world = std::make_unique<QuickWorld>(m_dir.path());
        m_world->attach(m_engine);
    }
    ~PageWorld()
    {
        m_world.reset();
        QDir::setCurrent(m_previous);
    }
    QuickWorld &world() { return *m_world; }
    // The document's object (the module imported); null, with error set, when it does not build.
    std::unique_ptr<QObject> create(const QByteArray &document, QString *error, const QVariantMap &properties = {})
    {
        QQmlComponent component(&m_engine);
        component.setData("import QtQuick\nimport Dravolinte2024\n" + document, QUrl());
        std::unique_ptr<QObject> object(component.createWithInitialProperties(properties));
        if (!object)
            *error = component.errorString();
        return object;
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
    QQmlEngine m_engine;
    std::unique_ptr<QuickWorld> m_world;
};
