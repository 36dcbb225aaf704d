#include "tools/patient_names.h"

#include "platform/native_names.h"

#include <QStringConverter>

#include <QStringList>
#include <algorithm>

namespace {

// Frequent French surnames, a few with particles or apostrophes, and a run of "DU..."
// so that the search for "du" finds a realistic share.
const QStringList kSurnames = {
    u"Martin"_qs,     u"Bernard"_qs,     u"Thomas"_qs,     u"Petit"_qs,
    u"Robert"_qs,     u"Richard"_qs,     u"Durand"_qs,     u"Dubois"_qs,
    u"Moreau"_qs,     u"Laurent"_qs,     u"Simon"_qs,      u"Michel"_qs,
    u"Lefèvre"_qs,    u"Leroy"_qs,       u"Roux"_qs,       u"David"_qs,
    u"Bertrand"_qs,   u"Morel"_qs,       u"Fournier"_qs,   u"Girard"_qs,
    u"Bonnet"_qs,     u"Dupont"_qs,      u"Lambert"_qs,    u"Fontaine"_qs,
    u"Rousseau"_qs,   u"Vincent"_qs,     u"Muller"_qs,     u"Lefebvre"_qs,
    u"Faure"_qs,      u"André"_qs,       u"Mercier"_qs,    u"Blanc"_qs,
    u"Guérin"_qs,     u"Boyer"_qs,       u"Garnier"_qs,    u"Chevalier"_qs,
    u"François"_qs,   u"Legrand"_qs,     u"Gauthier"_qs,   u"Garcia"_qs,
    u"Perrin"_qs,     u"Robin"_qs,       u"Clément"_qs,    u"Morin"_qs,
    u"Nicolas"_qs,    u"Henry"_qs,       u"Roussel"_qs,    u"Mathieu"_qs,
    u"Gautier"_qs,    u"Masson"_qs,      u"Marchand"_qs,   u"Duval"_qs,
    u"Denis"_qs,      u"Dumont"_qs,      u"Marie"_qs,      u"Lemaire"_qs,
    u"Noël"_qs,       u"Meyer"_qs,       u"Dufour"_qs,     u"Meunier"_qs,
    u"Brun"_qs,       u"Blanchard"_qs,   u"Giraud"_qs,     u"Joly"_qs,
    u"Rivière"_qs,    u"Lucas"_qs,       u"Brunet"_qs,     u"Gaillard"_qs,
    u"Barbier"_qs,    u"Arnaud"_qs,      u"Martinez"_qs,   u"Gérard"_qs,
    u"Roche"_qs,      u"Renard"_qs,      u"Schmitt"_qs,    u"Roy"_qs,
    u"Leroux"_qs,     u"Colin"_qs,       u"Vidal"_qs,      u"Caron"_qs,
    u"Picard"_qs,     u"Roger"_qs,       u"Fabre"_qs,      u"Aubert"_qs,
    u"Lemoine"_qs,    u"Renaud"_qs,      u"Dumas"_qs,      u"Lacroix"_qs,
    u"Olivier"_qs,    u"Philippe"_qs,    u"Bourgeois"_qs,  u"Pierre"_qs,
    u"Benoît"_qs,     u"Rey"_qs,         u"Leclerc"_qs,    u"Payet"_qs,
    u"Rolland"_qs,    u"Leclercq"_qs,    u"Guillaume"_qs,  u"Lecomte"_qs,
    u"López"_qs,      u"Jean"_qs,        u"Dupuy"_qs,      u"Guillot"_qs,
    u"Hubert"_qs,     u"Berger"_qs,      u"Carpentier"_qs, u"Sanchez"_qs,
    u"Dupuis"_qs,     u"Moulin"_qs,      u"Louis"_qs,      u"Deschamps"_qs,
    u"Huet"_qs,       u"Vasseur"_qs,     u"Perez"_qs,      u"Boucher"_qs,
    u"Fleury"_qs,     u"Royer"_qs,       u"Klein"_qs,      u"Jacquet"_qs,
    u"Adam"_qs,       u"Paris"_qs,       u"Poirier"_qs,    u"Marty"_qs,
    u"Aubry"_qs,      u"Guyot"_qs,       u"Carré"_qs,      u"Charles"_qs,
    u"Renault"_qs,    u"Charpentier"_qs, u"Ménard"_qs,     u"Maillard"_qs,
    u"Baron"_qs,      u"Bertin"_qs,      u"Bailly"_qs,     u"Hervé"_qs,
    u"Schneider"_qs,  u"Fernandez"_qs,   u"Le Gall"_qs,    u"Collet"_qs,
    u"Léger"_qs,      u"Bouvier"_qs,     u"Julien"_qs,     u"Prévost"_qs,
    u"Millet"_qs,     u"Perrot"_qs,      u"Daniel"_qs,     u"Le Roux"_qs,
    u"Cousin"_qs,     u"Germain"_qs,     u"Breton"_qs,     u"Besson"_qs,
    u"Langlois"_qs,   u"Rémy"_qs,        u"Le Goff"_qs,    u"Pelletier"_qs,
    u"Lévêque"_qs,    u"Perrier"_qs,     u"Leblanc"_qs,    u"Barré"_qs,
    u"Lebrun"_qs,     u"Marchal"_qs,     u"Weber"_qs,      u"Mallet"_qs,
    u"Hamon"_qs,      u"Boulanger"_qs,   u"Jacob"_qs,      u"Monnier"_qs,
    u"Michaud"_qs,    u"Rodriguez"_qs,   u"Guichard"_qs,   u"Gillet"_qs,
    u"Étienne"_qs,    u"Grondin"_qs,     u"Poulain"_qs,    u"Tessier"_qs,
    u"Chevallier"_qs, u"Collin"_qs,      u"Chauvin"_qs,    u"Da Silva"_qs,
    u"Bouchet"_qs,    u"Gay"_qs,         u"Lemaître"_qs,   u"Bénard"_qs,
    u"Maréchal"_qs,   u"Humbert"_qs,     u"Reynaud"_qs,    u"Antoine"_qs,
    u"Hoarau"_qs,     u"Perret"_qs,      u"Barthélemy"_qs, u"Cordier"_qs,
    u"Pichon"_qs,     u"Lejeune"_qs,     u"Gilbert"_qs,    u"Lamy"_qs,
    u"Delaunay"_qs,   u"Pasquier"_qs,    u"Carlier"_qs,    u"Laporte"_qs,
    u"Dumartin"_qs,   u"D'Alembert"_qs,  u"N'Diaye"_qs,    u"De La Fontaine"_qs,
    u"Duchêne"_qs,    u"Dubreuil"_qs,    u"Duclos"_qs,     u"Duhamel"_qs,
    u"Dujardin"_qs,   u"Dumoulin"_qs,    u"Depraz"_qs,     u"Côté"_qs,
    u"Lefèbvre"_qs,   u"Crépin"_qs};

const QStringList kFirstNames = {
    u"Marie"_qs,     u"Jean"_qs,      u"Pierre"_qs,    u"Michel"_qs,     u"André"_qs,
    u"Philippe"_qs,  u"Nathalie"_qs,  u"Isabelle"_qs,  u"Sylvie"_qs,     u"Catherine"_qs,
    u"Françoise"_qs, u"Léa"_qs,       u"Éloïse"_qs,    u"Chloé"_qs,      u"Zoé"_qs,
    u"Noël"_qs,      u"Jérôme"_qs,    u"Hélène"_qs,    u"Anaïs"_qs,      u"Maëlle"_qs,
    u"Gaëlle"_qs,    u"Joël"_qs,      u"Loïc"_qs,      u"Benoît"_qs,     u"Amélie"_qs,
    u"Cécile"_qs,    u"Régis"_qs,     u"Sébastien"_qs, u"Stéphane"_qs,   u"Frédéric"_qs,
    u"Thérèse"_qs,   u"Geneviève"_qs, u"Émilie"_qs,    u"Clément"_qs,    u"Théo"_qs,
    u"Lucas"_qs,     u"Hugo"_qs,      u"Louis"_qs,     u"Jules"_qs,      u"Camille"_qs,
    u"Manon"_qs,     u"Inès"_qs,      u"Jade"_qs,      u"Louise"_qs,     u"Emma"_qs,
    u"Paul"_qs,      u"Luc"_qs,       u"Anne"_qs,      u"Ana"_qs,        u"Alice"_qs,
    u"Arthur"_qs,    u"Gabriel"_qs,   u"Raphaël"_qs,   u"Nathan"_qs,     u"Thomas"_qs,
    u"Nicolas"_qs,   u"Julien"_qs,    u"Laurent"_qs,   u"Christophe"_qs, u"Olivier"_qs,
    u"Valérie"_qs,   u"Sandrine"_qs,  u"Céline"_qs,    u"Aurélie"_qs,    u"Julie"_qs,
    u"Sophie"_qs,    u"Claire"_qs,    u"Martine"_qs,   u"Monique"_qs,    u"Jacqueline"_qs,
    u"Bernard"_qs,   u"Daniel"_qs,    u"Alain"_qs,     u"Patrick"_qs,    u"Éric"_qs,
    u"Gérard"_qs,    u"René"_qs,      u"Josiane"_qs,   u"Odile"_qs,      u"Agnès"_qs,
    u"Mathéo"_qs,    u"Noémie"_qs,    u"Océane"_qs,    u"Mélanie"_qs,    u"Pénélope"_qs,
    u"Yves"_qs,      u"Hervé"_qs,     u"Denis"_qs,     u"Rémi"_qs,       u"Margaux"_qs,
    u"Lina"_qs,      u"Rose"_qs,      u"Ambre"_qs,     u"Adèle"_qs,      u"Romane"_qs};

const QStringList kFileKinds = {u"facture.pdf"_qs,     u"ordonnance.pdf"_qs, u"radio.jpg"_qs,
                                u"courrier.docx"_qs,   u"bilan.odt"_qs,      u"scan.pdf"_qs,
                                u"compte rendu.txt"_qs};

QString withoutAccents(const QString &text)
{
    QString plain;
    for (QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain.append(c);
    }
    return plain;
}

} // namespace

PatientNames::PatientNames(quint64 seed) : m_random(quint32(seed ^ (seed >> 32))) {}

QString PatientNames::surname()
{
    const QString name = kSurnames[m_random.bounded(kSurnames.size())];
    const int style = m_random.bounded(100);
    if (style < 40)
        return name.toUpper(); // LEFÈVRE
    if (style < 70)
        return withoutAccents(name).toUpper(); // LEFEVRE: capitals typed without accents
    if (style < 95)
        return name;
    return name.toLower();
}

QString PatientNames::firstName()
{
    QString name = kFirstNames[m_random.bounded(kFirstNames.size())];
    if (m_random.bounded(100) < 6)
        name +=
            (m_random.bounded(2) ? u'-' : u' ') + kFirstNames[m_random.bounded(kFirstNames.size())];
    if (m_random.bounded(100) < 3)
        name = name.toLower();
    return name;
}

bool PatientNames::claim(const QString &name)
{
    const QString folded = name.normalized(QString::NormalizationForm_C).toCaseFolded();
    if (m_taken.contains(folded))
        return false;
    m_taken.insert(folded);
    return true;
}

QString PatientNames::patientName()
{
    const QString base = surname() + u' ' + firstName();
    QString name = base;
    const int suffix = m_random.bounded(100);
    if (suffix < 20)
        name += u' ' + QString::number(1995 + m_random.bounded(31));
    else if (suffix < 22)
        name += u" [%1]"_qs.arg(2 + m_random.bounded(3));
    else if (suffix < 24)
        name += u" (%1)"_qs.arg(2 + m_random.bounded(3));
    if (claim(name))
        return name;
    // A namesake gets the year the file was opened, as the practice does, and only when
    // that is taken too a number.
    for (int attempt = 0; attempt < 4; ++attempt) {
        name = base + u' ' + QString::number(1980 + m_random.bounded(46));
        if (claim(name))
            return name;
    }
    for (int copy = 2;; ++copy) {
        const QString numbered = name + u" [%1]"_qs.arg(copy);
        if (claim(numbered))
            return numbered;
    }
}

QString PatientNames::unique(const QString &name, const QString &extension)
{
    if (claim(name + extension))
        return name + extension;
    for (int copy = 2;; ++copy) {
        const QString numbered = name + u" (%1)"_qs.arg(copy) + extension;
        if (claim(numbered))
            return numbered;
    }
}

PatientNames::Entry PatientNames::next()
{
    Entry entry{{}, Kind::Folder, false, false};
    QString name;
    const int kind = m_random.bounded(1000);
    if (kind < 10) {
        entry.kind = Kind::File;
        const QString &document = kFileKinds[m_random.bounded(kFileKinds.size())];
        const qsizetype dot = document.lastIndexOf(u'.');
        name = unique(surname() + u' ' + document.left(dot), document.mid(dot));
    } else if (kind < 22) {
        entry.kind = Kind::HiddenFile; // what macOS leaves beside each file it copies
        name = unique(u"._"_qs + surname() + u' ' + firstName());
    } else if (kind < 25) {
        entry.kind = Kind::HiddenFolder;
        name = unique(u"."_qs + surname() + u' ' + firstName());
    } else {
        name = patientName();
    }

    const bool accented =
        std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x80; });
    if (accented && m_random.bounded(100) < 8) {
        entry.decomposed = true;
        name = name.normalized(QString::NormalizationForm_D);
    } else if (accented && m_random.bounded(1000) < 3) {
        entry.latin1 = true;
        entry.name = QStringEncoder(QStringEncoder::Latin1).encode(name);
        return entry;
    }
    entry.name = platform::encodeFileName(name);
    return entry;
}
