#include "window/WindowClip.h"

#include "window/PlayerObjectNames.h"
#include "window/SkinLayout.h"

namespace {
constexpr int BottomMargin = 7;
}

int WindowClip::clientHeight(bool extended)
{
    const QRect lowest = SkinLayout::rect(extended ? PlayerObjectNames::Main::EditorButton
                                                   : PlayerObjectNames::Main::PlayButton);
    return lowest.top() + lowest.height() + SkinLayout::EdgeThickness + BottomMargin;
}

int WindowClip::bottomEdgeTop(int clientHeight)
{
    return clientHeight - SkinLayout::EdgeThickness;
}

QRect WindowClip::visibleRegion(QSize outerSize, QSize clientSize)
{
    // C++ division truncates toward zero, as the border arithmetic needs.
    const int border = (outerSize.width() - clientSize.width()) / 2;
    const int top = outerSize.height() - clientSize.height() - border;
    return QRect(border, top, clientSize.width(), clientSize.height());
}
