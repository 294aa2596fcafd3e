#pragma once

#include <QString>

// The versions the operator chose not to be offered again, kept in the
// parameter store's working file ("config.ini" beside the program) under
// "Upgrage/<name>": a program's name or a module's number. The file is only
// read and written here while it exists; without it nothing counts as
// ignored and nothing is stored. The store's own later writes keep the
// section (they write their own keys only).
class IgnoredVersions
{
public:
    static constexpr const char *kSection = "Upgrage";

    // The program's "config.ini".
    IgnoredVersions();
    explicit IgnoredVersions(const QString &file) : m_file(file) {}

    QString file() const { return m_file; }
    void setFile(const QString &file) { m_file = file; }
    bool available() const;
    // The ignored version of name, empty when none (or no file).
    QString version(const QString &name) const;
    // False when there is no file to keep it in.
    bool ignore(const QString &name, const QString &version);

private:
    QString m_file;
};
