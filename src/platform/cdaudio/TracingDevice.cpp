#include "platform/cdaudio/TracingDevice.h"

#include "platform/Trace.h"

int TracingDevice::DeviceCommand(const char* command, ReplyBuffer& reply)
{
    const int result = inner_.DeviceCommand(command, reply);
    trace_.command(QByteArray(command ? command : ""), result, reply.toByteArray());
    return result;
}
