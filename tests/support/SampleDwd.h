#pragma once

#include <QByteArray>

// A small lyrics file as the compiler writes it: "[/fontsize(20)]あい" timed
// at 0:01:00 and 0:02:50, two records with the right size in the header.
inline QByteArray sampleDwdBytes()
{
    return QByteArray::fromHex("445744"
                               "00000000"
                               "28000000"
                               "000001000000"
                               "01"
                               "021400"
                               "02000000"
                               "82a0"
                               "000001003200"
                               "00"
                               "02000000"
                               "82a2");
}
