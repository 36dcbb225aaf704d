#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QSet>
#include <QString>

// Names of a practice's start folder: patient folders "SURNAME Firstname", as a
// secretary types them over the years (capitals with or without accents, a year or a
// " [2]" after the name, composite first names, particles), with what else lies there:
// a few plain files ("DUPONT facture.pdf"), hidden entries (macOS "._" files, "."
// folders), names written decomposed (NFD) as macOS writes them, and a rare name in
// Latin-1 copied from an old disk, which is not valid UTF-8.
//
// The same seed gives the same names in the same order. Names are unique ignoring case,
// as on the Windows and macOS shares such folders come from.
class PatientNames
{
public:
    enum class Kind { Folder, File, HiddenFolder, HiddenFile };
    struct Entry
    {
        QByteArray name; // as written to disk
        Kind kind;
        bool decomposed;
        bool latin1;
    };

    explicit PatientNames(quint64 seed);
    Entry next();

private:
    QString patientName();
    QString surname();
    QString firstName();
    bool claim(const QString &name);
    // name + extension, or with " (2)", " (3)" ... before the extension when taken.
    QString unique(const QString &name, const QString &extension = {});

    QRandomGenerator m_random;
    QSet<QString> m_taken; // folded, composed
};
