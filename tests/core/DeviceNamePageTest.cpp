#include "DeviceNamePage.h"

#include "DeviceCommands.h"

#include <gtest/gtest.h>

namespace {

// A page as a device returns it: header, four bytes of its own, name, unit, address, tail.
QByteArray Page(int number, const QByteArray &name, char unit)
{
    QByteArray page = DeviceCommand::ReadPage(number) + QByteArray("\x01\x02\x03\x04", 4) +
                      name.leftJustified(20, ' ', true);
    page += unit;
    page += QByteArray("10.1.2.3").leftJustified(20, ' ');
    page += QByteArray("tail-bytes!");
    return page;
}

TEST(DeviceNamePage, ReadTrimsTheNameAndTakesOnlyAnUpperCaseC)
{
    struct Case {
        QByteArray name;
        char unit;
        QString shown;
        bool celsius;
        QString letter;
    } cases[] = {
        {"  Cold room         ", 'C', QStringLiteral("Cold room"), true, QStringLiteral("C")},
        {"Caf\xe9", 'c', QStringLiteral("Caf\u00e9"), false, QStringLiteral("c")},
        {"Lab", ' ', QStringLiteral("Lab"), false, QString()},
        {"Lab", 'F', QStringLiteral("Lab"), false, QStringLiteral("F")},
        {QByteArray(20, '\0'), '\0', QString(), false, QString()}, // a page never written
    };
    for (const Case &c : cases) {
        const NamePageFields fields = ReadNamePage(Page(2, c.name, c.unit));
        EXPECT_EQ(fields.name, c.shown);
        EXPECT_EQ(fields.celsius, c.celsius) << c.name.constData();
        EXPECT_EQ(fields.unit, c.letter) << c.name.constData();
        EXPECT_FALSE(fields.name.contains(QChar(0)));
    }
}

TEST(DeviceNamePage, StoreWritesNameUnitAndAddressAndKeepsTheRest)
{
    const QByteArray read = Page(1, QByteArray(20, '\0'), 'F');
    struct Case {
        QString name, address;
        char unit;
        QByteArray nameField, addressField;
    } cases[] = {
        {QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"), QStringLiteral("127.77.0.9"), 'C',
         "ABCDEFGHIJKLMNOPQRST", "127.77.0.9          "},
        {QStringLiteral("  Caf\u00e9 "), QStringLiteral(" 10.0.0.1 with a long tail"), 'F',
         QByteArray("Caf\xe9").leftJustified(20, ' '), " 10.0.0.1 with a lon"},
    };
    for (const Case &c : cases) {
        const QByteArray store = StoreNamePage(read, c.name, c.unit, c.address);
        ASSERT_EQ(store.size(), 60);
        EXPECT_EQ(store.left(4), QByteArray::fromHex("DDCCBB01"));
        EXPECT_EQ(store.mid(4, 4), read.mid(4, 4));
        EXPECT_EQ(store.mid(8, 20), c.nameField);
        EXPECT_EQ(store.at(28), c.unit);
        EXPECT_EQ(store.mid(29, 20), c.addressField);
        EXPECT_EQ(store.mid(49), read.mid(49));
    }
    EXPECT_EQ(NamePageNumber(3), 1);
    EXPECT_EQ(NamePageNumber(5), 2);
    EXPECT_EQ(NamePageNumber(6), 2);
}

} // namespace
