#pragma once
// Qt's own words in Russian: the buttons of message boxes ("Да", "Нет", "Отмена"), the file
// dialogs and the context menus of text fields, so that no English shows in a Russian program.

/// Installs Qt's Russian translations where the system has them (Debian's
/// qt6-translations-l10n); without them Qt's words stay English and nothing else changes.
void InstallRussianQtTranslations();
