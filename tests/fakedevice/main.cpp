// Serves fake devices on loopback addresses so vantrel can be tried without hardware.
#include "FakeDevice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

QTextStream &Out()
{
    static QTextStream out(stdout);
    return out;
}

// ADDRESS[:FAMILY.SUBMODEL.REVISION[:READING,READING,...]]
bool Configure(FakeDevice &device, const QString &argument, QHostAddress &address, QString &error)
{
    const QStringList parts = argument.split(QLatin1Char(':'));
    if (parts.size() > 3 || !address.setAddress(parts.at(0)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
        error = QStringLiteral("not an IPv4 address with options: ") + argument;
        return false;
    }
    if (parts.size() > 1) {
        const QStringList identity = parts.at(1).split(QLatin1Char('.'));
        bool ok[3] = {};
        if (identity.size() != 3) {
            error = QStringLiteral("identity must be FAMILY.SUBMODEL.REVISION: ") + parts.at(1);
            return false;
        }
        device.family = qint16(identity.at(0).toShort(&ok[0]));
        device.subModel = qint16(identity.at(1).toShort(&ok[1]));
        device.revision = qint16(identity.at(2).toShort(&ok[2]));
        if (!ok[0] || !ok[1] || !ok[2]) {
            error = QStringLiteral("identity words must be numbers: ") + parts.at(1);
            return false;
        }
    }
    if (parts.size() > 2) {
        const QStringList readings = parts.at(2).split(QLatin1Char(','));
        if (readings.size() > int(device.channels.size())) {
            error = QStringLiteral("at most 10 readings: ") + parts.at(2);
            return false;
        }
        for (int k = 0; k < readings.size(); ++k) {
            bool ok = false;
            device.channels[k].reading = readings.at(k).toShort(&ok);
            if (!ok) {
                error = QStringLiteral("a reading is a whole number from -32768 to 32767: ") +
                        readings.at(k);
                return false;
            }
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Fake monitoring devices on loopback, port 10001.\n"
        "Each DEVICE is ADDRESS[:FAMILY.SUBMODEL.REVISION[:READING,...]], for example\n"
        "127.0.0.2:6.5.3:725,690,1000 (readings as the device sends them: in tenths\n"
        "with --tenths on models that scale them; 1000 is a port with nothing connected)."));
    parser.addHelpOption();
    const QCommandLineOption tenths(QStringLiteral("tenths"),
                                    QStringLiteral("Devices flag their readings as tenths."));
    const QCommandLineOption unit(QStringLiteral("unit"),
                                  QStringLiteral("Temperature unit letter, C or F (default F)."),
                                  QStringLiteral("letter"), QStringLiteral("F"));
    parser.addOption(tenths);
    parser.addOption(unit);
    parser.addPositionalArgument(QStringLiteral("DEVICE"), QStringLiteral("A device to serve."),
                                 QStringLiteral("DEVICE..."));
    parser.process(app);

    const QString letter = parser.value(unit).toUpper();
    if (parser.positionalArguments().isEmpty() ||
        (letter != QStringLiteral("C") && letter != QStringLiteral("F"))) {
        parser.showHelp(1);
    }

    std::vector<std::unique_ptr<FakeDevice>> devices;
    for (const QString &argument : parser.positionalArguments()) {
        auto device = std::make_unique<FakeDevice>();
        QHostAddress address;
        QString error;
        if (!Configure(*device, argument, address, error)) {
            QTextStream(stderr) << "fakedevice: " << error << Qt::endl;
            return 1;
        }
        if (!address.isLoopback()) {
            QTextStream(stderr) << "fakedevice: only loopback addresses (127.x.y.z): "
                                << address.toString() << Qt::endl;
            return 1;
        }
        device->tenths = parser.isSet(tenths);
        device->unitLetter = letter.at(0).toLatin1();
        if (!device->Listen(address)) {
            QTextStream(stderr) << "fakedevice: cannot listen on " << address.toString() << ":10001"
                                << Qt::endl;
            return 1;
        }
        Out() << "serving family " << device->family << ", sub-model " << device->subModel
              << ", revision " << device->revision << " on " << device->Address() << ":10001"
              << Qt::endl;
        devices.push_back(std::move(device));
    }
    return app.exec();
}
