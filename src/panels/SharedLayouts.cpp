#include "SharedLayouts.h"

QString Indexed(const char16_t *stem, int index)
{
    return QString::fromUtf16(stem) + u'(' + QString::number(index) + u')';
}

QString BusyDownloadLine()
{
    return QStringLiteral(
        "This device is currently on the phone.  Please wait and try again later.");
}

QString BusyUploadLine()
{
    return QStringLiteral(
        "This server is currently on the phone.  Please wait and try again later.");
}

int BatteryCharacters()
{
    return int(TenthsText(255).size());
}

void AddLimitRecords(std::vector<Field> &fields, int rows)
{
    for (int i = 0; i < rows; ++i) {
        const int p = RecordByte(i);
        fields.push_back({0, p, Indexed(u"txtLL", i), Codec::Limit, i, Shown::WhenNamed});
        fields.push_back({0, p + 2, Indexed(u"txtUL", i), Codec::Limit, i, Shown::WhenNamed});
        fields.push_back({0, p + 4, Indexed(u"txtTOL", i), Codec::Whole, i, Shown::WhenNamed});
    }
}

void AddRelayAndBuzzer(std::vector<Field> &fields)
{
    fields.push_back({0, 57, QStringLiteral("optRelayLogic"), Codec::OptionByte, -1, Shown::Always,
                      Blank::KeepsBytes, 0, 1});
    fields.push_back({0, 58, QStringLiteral("optEnableBuzzer"), Codec::OptionByte, -1,
                      Shown::Always, Blank::KeepsBytes, 1, 0});
}

void AddNamePages(std::vector<Field> &fields, int rows)
{
    for (int row = 0; row < rows; ++row)
        fields.push_back(
            {3 + row / 2, row % 2 == 0 ? 9 : 29, Indexed(u"txtName", row), Codec::Name, row});
}
