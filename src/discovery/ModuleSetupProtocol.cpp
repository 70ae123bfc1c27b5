#include "ModuleSetupProtocol.h"

namespace discovery {

namespace {

constexpr int kMacFrom = 25;

QString Hex(uchar value)
{
    return QString::number(value, 16).toUpper();
}

} // namespace

QByteArray DiscoveryQuery()
{
    return QByteArray::fromHex("000000F6");
}

QByteArray SetupRecordRequest()
{
    return QByteArray::fromHex("000100E0");
}

QString FormatMac(const QByteArray &reply)
{
    QStringList pairs;
    for (int p = kMacFrom; p <= reply.size(); ++p)
        pairs << Hex(uchar(reply.at(p - 1))).rightJustified(2, u'0');
    return pairs.join(u'-');
}

std::optional<QByteArray> PatchSetupRecord(QByteArray record, const int (&octets)[4])
{
    if (record.size() < kSetupRecordMinimum || record.size() > kSetupRecordMaximum)
        return std::nullopt;
    const auto put = [&record](int position, int value) { record[position - 1] = char(value); };
    for (int k = 0; k < 4; ++k)
        put(5 + k, octets[k]);
    put(21, 0x4C);
    put(69, 0x4C);
    put(22, 0x02);
    put(70, 0x02);
    put(4, 0xC0);
    put(2, 0x00);
    return record;
}

std::optional<QByteArray> DhcpResetDatagram(const QByteArray &reply)
{
    if (reply.size() < 2)
        return std::nullopt;
    return QByteArray::fromHex("000000FC") + QByteArrayLiteral("IP-SETUP") + QByteArray(2, '\0') +
           reply.right(2) + QByteArray(4, '\0');
}

QStringList ByteLines(const QByteArray &record)
{
    QStringList lines;
    for (int k = 1; k <= record.size(); ++k)
        lines << QString::number(k) + QStringLiteral(": ") + Hex(uchar(record.at(k - 1)));
    return lines;
}

QString LengthLine(const QByteArray &record)
{
    QString line = QStringLiteral("Len: ") + QString::number(record.size()) + u' ';
    for (const char byte : record)
        line += u',' + Hex(uchar(byte));
    return line;
}

} // namespace discovery
