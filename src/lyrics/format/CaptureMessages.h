#pragma once

#include <QString>

// What a failed timing capture says, the same in the compiler window's boxes
// and on ondel-dwd's standard error.
namespace CaptureMessages {
QString openFailed();
QString headerFailed();
QString recordFailed();
} // namespace CaptureMessages
