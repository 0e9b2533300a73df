#include "platform/TracingMessageBoxes.h"

#include "platform/Trace.h"

BoxButton TracingMessageBoxes::show(const QString& caption, const QString& text, BoxIcon icon,
                                    BoxButtons buttons)
{
    const BoxButton pressed = inner_.show(caption, text, icon, buttons);
    trace_.box(caption, text, buttonName(pressed));
    return pressed;
}
