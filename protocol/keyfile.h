#pragma once

#include <QString>

#include "keyrecord.h"

// Reads the key record from the first 82 bytes of a private key file. An
// empty path (after trimming) gives the empty record: no key. A file that
// cannot be opened or is shorter raises EForexException "Can' read %s file".
TKeyRecord LoadKeyFile(const QString &path);
