#include "app/app_resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must stand outside any namespace.
static void registerPalvoricResources()
{
    Q_INIT_RESOURCE(palvoric);
}

void initAppResources()
{
    static const bool registered = (registerPalvoricResources(), true);
    Q_UNUSED(registered);
}
