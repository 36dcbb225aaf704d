#pragma once

class QCoreApplication;

// Qt's own texts (the folder chooser, the text fields' context menus, the standard
// buttons) in French, from the translations the system's Qt brings ("qtbase_fr.qm" in
// QLibraryInfo's translations folder). Returns false when they are not installed: those
// texts then stay in English.
bool installQtTranslations(QCoreApplication &application);
