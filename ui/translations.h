#pragma once

class QApplication;

namespace velmorane::ui {

// Qt's own texts in French ("Annuler", "Oui", "Non"), from the translations the system installs.
// Without them the program still runs, with those few texts in English.
void installFrenchTranslations(QApplication& application);

}  // namespace velmorane::ui
