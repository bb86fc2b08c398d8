// Qt's own Japanese translations, so the standard dialogs (file dialogs,
// Yes and No buttons) speak the window's language whatever the system
// locale. Installed once by main.cpp; the tests install it too.
#pragma once

class QCoreApplication;

namespace refdesk {

// Loads Qt's Japanese translation of its own texts and installs it in
// `app`. False when it is not installed (Debian: qt6-translations-l10n);
// the dialogs then stay in Qt's English.
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace refdesk
