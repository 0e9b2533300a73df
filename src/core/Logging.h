#pragma once

#include <QLoggingCategory>

// Diagnostics for the user's terminal and for bug reports, one category a
// subsystem ("ondel.sound", "ondel.disc"); the player prints them with its
// own prefix. What a user must act on goes into a message box instead.
Q_DECLARE_LOGGING_CATEGORY(lcSound)
Q_DECLARE_LOGGING_CATEGORY(lcDisc)
