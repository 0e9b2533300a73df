#pragma once

#include <QCoreApplication>
#include <QString>

// Adds an identity of its own to simulated disc options, so that no two test
// discs, in this run or another one at the same time, share a drive lock.
inline QString uniqueDisc(const QString& simOptions)
{
    static int serial = 0;
    return simOptions + QStringLiteral(",id=disc%1-%2").arg(QCoreApplication::applicationPid()).arg(++serial);
}
