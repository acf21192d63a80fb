#pragma once

#include <QLoggingCategory>

// Diagnostics of the desktop client on standard error, off by default:
// QT_LOGGING_RULES="kelvra.shell.debug=true" shows status texts, login
// attempts, message boxes and the closing steps as they happen.
Q_DECLARE_LOGGING_CATEGORY(lcShell)
