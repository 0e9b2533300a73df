#include "core/Logging.h"

Q_LOGGING_CATEGORY(lcSound, "ondel.sound")
Q_LOGGING_CATEGORY(lcDisc, "ondel.disc")
