#include "DeviceNamePage.h"

#include "AnsiText.h"
#include "DeviceCommands.h"

namespace {

constexpr int kNameAt = 8; // 0-based
constexpr int kFieldLength = 20;
constexpr int kUnitAt = 28;
constexpr int kAddressAt = 29;

} // namespace

int NamePageNumber(qint16 family)
{
    return family == 3 ? 1 : 2;
}

TextFields NamePageTextFields()
{
    return {{kNameAt + 1, kFieldLength}, {kAddressAt + 1, kFieldLength}};
}

NamePageFields ReadNamePage(const QByteArray &page)
{
    // A page never written holds NULs where the name goes; they are no part of a name.
    QByteArray name = page.mid(kNameAt, kFieldLength);
    name.replace('\0', ' ');
    QByteArray unit = page.mid(kUnitAt, 1);
    const bool celsius = unit == "C";
    unit.replace('\0', ' ');
    return {FromAnsi(name).trimmed(), FromAnsi(unit).trimmed(), celsius};
}

QByteArray StoreNamePage(const QByteArray &page, const QString &name, char unitLetter,
                         const QString &address)
{
    QByteArray store = PadWithNulls(page);
    store.replace(kNameAt, kFieldLength, FixedAnsi(name.trimmed(), kFieldLength));
    store[kUnitAt] = unitLetter;
    store.replace(kAddressAt, kFieldLength, FixedAnsi(address, kFieldLength));
    InsertStoreUserPageCommand(store);
    return store;
}

bool InsertStoreUserPageCommand(QByteArray &strSend)
{
    strSend.replace(0, 3, DeviceCommand::StorePage());
    return true;
}
