#pragma once

#include <QString>
#include <memory>

class QTranslator;

// The pages' English ("appDravolinte2024_en.qm" in the given folder), put
// on and taken off at the operator's choice. main's own translation is
// another one and stays as it is.
class LanguageSwitch
{
public:
    static constexpr const char *kFile = "appDravolinte2024_en.qm";

    explicit LanguageSwitch(const QString &folder);
    ~LanguageSwitch();

    // l != 0: English; 0: back to the source language. A missing file is
    // logged and the texts stay as they are.
    void setLanguage(int l);
    bool isInstalled() const { return m_installed; }

private:
    QString m_folder;
    std::unique_ptr<QTranslator> m_translator;
    bool m_installed = false;
};
