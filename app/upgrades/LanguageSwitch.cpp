#include "app/upgrades/LanguageSwitch.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTranslator>

LanguageSwitch::LanguageSwitch(const QString &folder)
    : m_folder(folder)
{
}

LanguageSwitch::~LanguageSwitch()
{
    setLanguage(0);
}

void LanguageSwitch::setLanguage(int l)
{
    if (l == 0) {
        if (m_installed)
            QCoreApplication::removeTranslator(m_translator.get());
        m_installed = false;
        return;
    }
    if (m_installed)
        return;
    // Loaded anew each time: a file put in place meanwhile counts.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(kFile), m_folder)) {
        qWarning().noquote() << "DravolinteApp::setLanguage" << "no translation" << kFile << "in" << m_folder;
        return;
    }
    m_translator = std::move(translator);
    m_installed = QCoreApplication::installTranslator(m_translator.get());
}
