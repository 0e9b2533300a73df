#pragma once

#include "platform/ColorDialogs.h"

class QWidget;

// The colour dialog on screen (QColorDialog), modal to the given window.
class QtColorDialogs final : public ColorDialogs {
public:
    explicit QtColorDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<quint32> chooseColor(quint32 initial) override;

private:
    QWidget* parent_;
};
