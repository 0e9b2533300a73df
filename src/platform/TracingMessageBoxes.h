#pragma once

#include "platform/MessageBoxes.h"

class Trace;

// Shows through another MessageBoxes and writes each box and its answer to the trace.
class TracingMessageBoxes final : public MessageBoxes {
public:
    TracingMessageBoxes(MessageBoxes& inner, Trace& trace) : inner_(inner), trace_(trace) {}
    BoxButton show(const QString& caption, const QString& text, BoxIcon icon, BoxButtons buttons) override;

private:
    MessageBoxes& inner_;
    Trace& trace_;
};
