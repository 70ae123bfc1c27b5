#include "DeviceCommands.h"

namespace {

int ByteAt(const QByteArray &buf, int pos)
{
    return static_cast<unsigned char>(buf.at(pos - 1));
}

bool InFrame(const QByteArray &buf, int pos, int size)
{
    return pos >= 1 && pos + size - 1 <= buf.size();
}

} // namespace

bool IsBusyReply(const QByteArray &reply)
{
    return reply.startsWith(DeviceCommand::BusyReply());
}

QByteArray PadWithNulls(const QByteArray &header)
{
    QByteArray request = header;
    if (request.size() < kFrameLength)
        request.append(kFrameLength - request.size(), '\0');
    return request;
}

bool GetWordBE(const QByteArray &buf, int pos, float &value)
{
    if (!InFrame(buf, pos, 2))
        return false;
    value = static_cast<float>(ReadDeviceInt(buf, pos, 2));
    return true;
}

bool GetWordLE(const QByteArray &buf, int pos, float &value)
{
    if (!InFrame(buf, pos, 2))
        return false;
    const int word = ByteAt(buf, pos + 1) * 256 + ByteAt(buf, pos);
    value = static_cast<float>(word >= 32768 ? word - 65536 : word);
    return true;
}

qint32 ReadDeviceUInt(const QByteArray &buf, int pos, int size)
{
    const int width = size == 2 ? 2 : 1;
    if (!InFrame(buf, pos, width))
        return 0;
    return width == 2 ? ByteAt(buf, pos) * 256 + ByteAt(buf, pos + 1) : ByteAt(buf, pos);
}

qint32 ReadDeviceInt(const QByteArray &buf, int pos, int size)
{
    const qint32 value = ReadDeviceUInt(buf, pos, size);
    return size == 2 && value >= 32768 ? value - 65536 : value;
}

WordBytes SplitWord(qint32 value)
{
    return {(value >> 8) & 0xFF, value & 0xFF};
}
