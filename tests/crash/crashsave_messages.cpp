#include "crashsave_files.h"
#include "messagefiles.h"

bool crashsave::SaveMessageFile(const QString &path, const QByteArray &bytes) { return WriteFileAtomically(path, bytes); }
