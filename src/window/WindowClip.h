#pragma once

#include <QRect>
#include <QSize>

// Sizing of the frameless main window: the client height folded or with the
// extended row shown, where the bottom edge goes, and the visible region.
class WindowClip {
public:
    // Folded: below the transport row; extended: below the editor row. Both
    // leave room for the bottom edge plus a 7-pixel margin (130 and 183).
    static int clientHeight(bool extended);
    // Top of the bottom edge picture bottomEdge_ for a client height.
    static int bottomEdgeTop(int clientHeight);
    // The part of the window that stays visible, in window coordinates: the
    // client area, found from the outer size by assuming equal side borders
    // and the extra height at the top (title bar). Without a frame it is
    // simply (0, 0, client size).
    static QRect visibleRegion(QSize outerSize, QSize clientSize);
};
