#include "app/command_options.h"

CommandRequest commandRequest(const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (first == u"--help")
        return CommandRequest::Help;
    if (first == u"--version")
        return CommandRequest::Version;
    return CommandRequest::Window;
}

QString commandHelpText(const QString &command)
{
    const QString name = command.mid(command.lastIndexOf(u'/') + 1);
    return QStringLiteral("Utilisation : %1 [TEXTE...]\n"
                          "Retrouve les dossiers patients d'un cabinet médical par leur nom.\n"
                          "\n"
                          "Ouvre la fenêtre de recherche ; les arguments, joints par un blanc,\n"
                          "deviennent le premier texte cherché.\n"
                          "\n"
                          "  --help       affiche cette aide et quitte\n"
                          "  --version    affiche la version et la licence, et quitte\n"
                          "\n"
                          "Une copie installée garde ses réglages dans\n"
                          "~/.config/palvoric/Palvoric.INI, son historique et ses journaux dans\n"
                          "~/.local/share/palvoric/. Les réglages par défaut du cabinet sont\n"
                          "dans /etc/xdg/palvoric/Palvoric.INI (voir palvoric(1)).\n")
        .arg(name.isEmpty() ? QStringLiteral("palvoric") : name);
}

QString commandVersionText(const QString &version)
{
    return QStringLiteral("Palvoric %1\n"
                          "Copyright © 2026 Palvoric developers\n"
                          "Licence GPLv3+ : GNU GPL version 3 ou ultérieure "
                          "<https://www.gnu.org/licenses/gpl-3.0.html>.\n"
                          "Ceci est un logiciel libre : vous êtes libre de le modifier et de le "
                          "redistribuer.\n"
                          "Il n'y a AUCUNE GARANTIE, dans les limites permises par la loi.\n")
        .arg(version);
}
