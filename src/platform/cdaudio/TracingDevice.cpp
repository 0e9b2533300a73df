#include "platform/cdaudio/TracingDevice.h"

#include "platform/Trace.h"

int TracingDevice::sendCommand(const char* command, ReplyBuffer& reply)
{
    const int result = inner_.sendCommand(command, reply);
    trace_.command(QByteArray(command ? command : ""), result, reply.toByteArray());
    return result;
}
