#pragma once

#include "app/form1_elements.h"

class QWidget;

// Builds the elements of the main window inside form, in their order of creation, with
// their texts, fonts, colours and layout. It wires no handler: the controller does.
Form1Elements composeForm1(QWidget *form);

// The captions the program switches while it runs.
inline constexpr auto kCaptionBeginsWith = "Rechercher les sous-dossiers commençant par ...";
inline constexpr auto kCaptionContains = "Rechercher les sous-dossiers contenants ...";
inline constexpr auto kCaptionListInitial = "Liste des sous-dossiers trouvés :";
