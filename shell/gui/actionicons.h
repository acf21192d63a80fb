#pragma once

#include <QIcon>
#include <QString>

// The icon of a toolbar or menu command: the desktop icon theme's where it
// has a fitting one, else our own drawing shipped with the program
// (":/icons/<name>.svg").
QIcon ActionIcon(const QString &name);
