#pragma once

#include <QString>

class QTranslator;

// Qt's own Chinese texts (folder chooser, standard buttons). Start-up loads them from the Qt
// installation; a published copy bundles the same file, which the runtime bundler finds the
// same way.
namespace QtTranslations {
// Loads the texts from `folder` into `translator`; false when the file is not there.
bool Load(QTranslator& translator, const QString& folder);
// Loads them from the translation folder Qt is configured with, once per process; without the
// installed translation the standard dialogs stay in English.
void Install();
}  // namespace QtTranslations
