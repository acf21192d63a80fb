#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The files the terminal saves, each in two versions that the crash test
// writes in turn through the program's own writers.
namespace crashsave {

// The names of the files inside the folder.
QStringList FileNames();
// Writes every file in version 0 or 1; false when a writer failed.
bool SaveAll(const QString &folder, int version);
// The reader's view of a file: the bytes a whole file of that version holds
// when read back through its own reader (empty when it does not load).
QByteArray Loaded(const QString &folder, const QString &name);
QByteArray Expected(const QString &name, int version);

// The messaging files' writer (its own translation unit: its name clashes
// with the settings' writer).
bool SaveMessageFile(const QString &path, const QByteArray &bytes);

} // namespace crashsave
