#pragma once

#include <QString>

class QApplication;

// The program's visual theme: a flat look with a blue accent over Fusion, kept in the
// program's resources so that the window looks the same on every desktop.
inline constexpr auto kThemeName = "Metropolis UI Blue";

// Applies the named theme to the application (its style, palette and style sheet).
// Returns false, changing nothing, when the program's resources hold no such theme.
bool applyTheme(QApplication &app, const QString &name);

// Where the named theme's style sheet lives among the resources.
QString themeResourcePath(const QString &name);
