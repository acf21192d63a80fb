#pragma once

// Qt's own texts (standard buttons, file dialogs, context menus) follow the
// interface language: Qt's Russian translations are installed while the
// interface is Russian and removed for English. Without the translations
// on the machine those texts simply stay English. True when Qt's texts are
// now in the asked language.
bool ApplyQtTranslations(bool english);
