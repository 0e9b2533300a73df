#pragma once

#include <QRect>
#include <QString>
#include <vector>

// Where every part of the main window sits, in client pixels, in stacking
// order (later entries lie on top of earlier ones). The pictures of
// SkinPictures are drawn for exactly these sizes.
class SkinLayout {
public:
    enum class Kind {
        Picture,     // edge, frame or title plate
        Lamp,        // mode lamp: a dim picture with its lit twin on top
        Panel,       // the green display panel displayPanel_
        Digit,       // a seven-segment digit
        Dot,         // a colon dot
        Button,      // picture button: normal, disabled, pressed
        ToggleButton // two-state picture button: up, disabled, pressed, down
    };

    struct Component {
        QString name;
        Kind kind;
        QRect rect;
    };

    static constexpr int ClientWidth = 306;
    static constexpr int EdgeThickness = 5; // Image6 .. bottomEdge_
    static const QString FormName;          // the bare background of the window

    static const std::vector<Component>& components();
    // The component's designed rectangle; an empty rectangle for an unknown name.
    static QRect rect(const QString& name);
    static Kind kind(const QString& name);

    // The topmost component under a client point, FormName for the bare
    // background. bottomEdge_ is taken at its place for the given client height,
    // and anything at or below that height is outside the window (empty name).
    static QString componentAt(QPoint clientPos, int clientHeight);

    // Whether pressing the left button on this component and moving drags the
    // window: the bare background, the display panel, the lamps, the digits and
    // the colon dots do; edges, frames, the title plate and the buttons do not.
    static bool dragsWindow(const QString& name);
};
