#pragma once

#include <QString>

// The version box opened from the title plate and the popup menu.
class VersionInfo {
public:
    static QString caption(); // "ﾊﾞｰｼﾞｮﾝ情報"
    // First line "OndelPlayer" with the version, then what the program is.
    static QString text();
};
