#include "RecordingCanvas.h"

QStringList RecordingCanvas::drawList() const
{
    QStringList list;
    for (const Draw& d : draws)
        list.append(QStringLiteral("%1,%2 [%3,%4,%5,%6] %7")
                        .arg(d.x)
                        .arg(d.y)
                        .arg(d.cell.left)
                        .arg(d.cell.top)
                        .arg(d.cell.right)
                        .arg(d.cell.bottom)
                        .arg(QString::fromLatin1(d.text)));
    return list;
}
