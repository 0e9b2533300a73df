#include "lyrics/format/DwdCommand.h"

namespace {
constexpr const char* Names[] = {"formsize",  "backcolor", "fontsize", "fontcolor", "fontprecolor",
                                 "setcursor", "clear",     "pausepre", "writepre"};
}

const char* DwdCode::name(quint8 code)
{
    return code < std::size(Names) ? Names[code] : nullptr;
}

std::optional<quint8> DwdCode::codeOf(QByteArrayView name)
{
    for (quint8 code = 0; code < std::size(Names); ++code) {
        if (name == QByteArrayView(Names[code])) {
            return code;
        }
    }
    return std::nullopt;
}
