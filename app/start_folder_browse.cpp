#include "app/start_folder_browse.h"

#include "app/desktop.h"
#include "app/directory_edit.h"

#include <QFileInfo>

QString StartFolderBrowse::startingFolder(const QString &text) const
{
    const QString root = QStringLiteral("/");
    QString folder = text;
    if (folder.isEmpty())
        folder = m_lastChosen.isEmpty() ? root : m_lastChosen;
    // A relative path would depend on where the program was started from.
    const QFileInfo info(folder);
    if (info.isRelative() || !info.isDir())
        return root;
    return folder;
}

void StartFolderBrowse::browse(Desktop &desktop, DirectoryEdit *field, QWidget *window)
{
    const QString chosen = desktop.chooseFolder(window, startingFolder(field->text()));
    field->setFocus(Qt::OtherFocusReason);
    if (chosen.isEmpty())
        return;
    field->setText(chosen);
    m_lastChosen = chosen;
}
