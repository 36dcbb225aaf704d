#pragma once

#include <QString>

class Desktop;
class DirectoryEdit;
class QWidget;

// The browse button of the start-folder field: the folder chooser opens, modal over the
// window, on the folder the field names (or the one chosen last this run, or "/"); the
// field gets the focus back, and its text is replaced on OK only.
class StartFolderBrowse
{
public:
    void browse(Desktop &desktop, DirectoryEdit *field, QWidget *window);

    // Where the chooser opens for a field holding text.
    QString startingFolder(const QString &text) const;

private:
    QString m_lastChosen;
};
