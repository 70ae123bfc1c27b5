#include "AlarmText.h"

#include "NumberText.h"
#include "ReplyDecoding.h"
#include "StatusGrid.h"
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

const QChar kCR(u'\r');

enum class Unit { Degree, Humidity, None };

struct ModelUnits {
    QStringList modelTexts;
    Unit (*unitOfPort)(int port);
};

// First row whose model text occurs in the server's model wins.
const std::array<ModelUnits, 5> kModelUnits = {{
    {{QStringLiteral("710-10"), QStringLiteral("710-5"), QStringLiteral("715"), QStringLiteral("720"),
      QStringLiteral("710-7"), QStringLiteral("815"), QStringLiteral("820")},
     [](int port) { return port == 8 || port == 9 ? Unit::None : Unit::Degree; }},
    {{QStringLiteral("413"), QStringLiteral("414"), QStringLiteral("415")},
     [](int port) { return port == 2 || port == 3 ? Unit::None : Unit::Degree; }},
    {{QStringLiteral("416")},
     [](int port) {
         if (port == 3)
             return Unit::Humidity;
         return port == 4 || port == 5 ? Unit::None : Unit::Degree;
     }},
    {{QStringLiteral("718"), QStringLiteral("710-8")},
     [](int port) {
         if (port >= 0 && port <= 7)
             return port % 2 == 0 ? Unit::Degree : Unit::Humidity;
         return Unit::None;
     }},
    {{QStringLiteral("750"), QStringLiteral("730")},
     [](int port) { return port >= 0 && port <= 3 ? Unit::Degree : Unit::None; }},
}};

// "for: 12 minutes." after minutes of 2 or more, else the short form.
QString Lasting(qint32 minutes, const QString &shortText, const QString &longText)
{
    if (minutes < 2)
        return shortText;
    return longText + QString::number(minutes) + QStringLiteral(" minutes.");
}

std::optional<double> NumberIn(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

QString SensorUnitText(const QString &serverModel, int port, const QString &unitLetter)
{
    for (const ModelUnits &row : kModelUnits) {
        const bool fits = std::any_of(row.modelTexts.begin(), row.modelTexts.end(),
                                      [&](const QString &t) { return serverModel.contains(t); });
        if (!fits)
            continue;
        switch (row.unitOfPort(port)) {
        case Unit::Degree:
            return kDegreeSign + unitLetter; // built in one piece, not a copy appended to
        case Unit::Humidity:
            return QStringLiteral("%RH");
        case Unit::None:
            return QString();
        }
    }
    return QString();
}

SensorStatus StatusOfSensor(bool hasActiveAlarms, int stateCode, float reading)
{
    if (!hasActiveAlarms) {
        if (reading == kNoDataReading)
            return {QStringLiteral("NO DATA"), 65535};
        return {QStringLiteral("Normal"), 65280};
    }
    switch (stateCode) {
    case 2:
        return {QStringLiteral("ALARM: Low Limit"), 255};
    case 3:
        return {QStringLiteral("ALARM: High Limit"), 255};
    case 4:
        return {QStringLiteral("WARNING: Low Limit"), 0 + 153 * 256 + 204 * 65536};
    case 5:
        return {QStringLiteral("WARNING: High Limit"), 255 + 102 * 256};
    default:
        return {QStringLiteral("ALARM"), 255};
    }
}

QString BuildAlarmMessage(const AlarmFacts &f, const QString &prefix)
{
    const QString type = f.sensorType.toLower();
    const QString &reading = f.readingText;
    const bool open = reading == QLatin1String("Open");

    if (type.contains(QLatin1String("water sensor input")))
        return Lasting(f.minutes, QStringLiteral("Water has been detected."),
                       QStringLiteral("Water has been detected for: ")) + kCR;
    if (type.contains(QLatin1String("power sensor"))) {
        if (reading == QLatin1String("Power Off"))
            return Lasting(f.minutes, QStringLiteral("Power is off."),
                           QStringLiteral("Power has been off for: ")) + kCR;
        return Lasting(f.minutes, QStringLiteral("Power is on."),
                       QStringLiteral("Power has been on for: ")) + kCR;
    }
    if (type.contains(QLatin1String("door sensor"))) {
        if (open)
            return Lasting(f.minutes, QStringLiteral("The door is open."),
                           QStringLiteral("The door has been open for: ")) + kCR;
        return Lasting(f.minutes, QStringLiteral("The door is closed."),
                       QStringLiteral("The door has been closed for: ")) + kCR;
    }
    if (type.contains(QLatin1String("dry contact"))) {
        const QString state = open ? Lasting(f.minutes, QStringLiteral(" input is open."),
                                             QStringLiteral(" input has been open for: "))
                                   : Lasting(f.minutes, QStringLiteral(" input is closed."),
                                             QStringLiteral(" input has been closed for: "));
        return QStringLiteral("The ") + f.sensorName + state + kCR;
    }

    const std::optional<double> number = NumberIn(reading);
    const QString lower = reading.toLower();
    const auto is = [&number](double n) { return number && *number == n; };
    QString message;
    if (is(999) || lower.contains(QLatin1String("open"))) {
        message = QStringLiteral(" Sensor ") + f.sensorName + QStringLiteral(" has failed open.") + kCR;
    } else if (is(-999) || lower.contains(QLatin1String("short"))) {
        message = QStringLiteral(" Sensor ") + f.sensorName + QStringLiteral(" has failed shorted.") + kCR;
    } else if (is(1000) || lower.contains(QLatin1String("not connected"))) {
        message = QStringLiteral(" Sensor ") + f.sensorName + QStringLiteral(" is not connected.") + kCR;
    } else if (is(kNoDataReading) || lower.contains(QLatin1String("no reading"))) {
        message = QStringLiteral(" Data was not returned by: ") + f.serverName + QLatin1Char('.') + kCR;
    } else {
        const QString &unit = f.unitText;
        message = QStringLiteral("WARNING ") + f.sensorName + QStringLiteral(" is ") + reading +
                  QLatin1Char(' ') + unit;
        if (number && f.lowerLimit && *number < *f.lowerLimit) {
            message += QStringLiteral(" and is below the low limit (") +
                       FormatPointZero(*f.lowerLimit) + unit + QStringLiteral(") by ") +
                       FormatPointZero(*f.lowerLimit - *number) + unit;
        } else if (number && f.upperLimit && *number > *f.upperLimit) {
            message += QStringLiteral(" and is above the upper limit (") +
                       FormatPointZero(*f.upperLimit) + unit + QStringLiteral(") by ") +
                       FormatPointZero(*number - *f.upperLimit) + unit;
        }
        message += QStringLiteral(" and has been out of limits for ") + QString::number(f.minutes) +
                   (f.minutes < 2 ? QStringLiteral(" minute.") : QStringLiteral(" minutes.")) + kCR;
    }
    message = prefix + QLatin1Char(' ') + message + kCR;
    if (!f.sensorNotes.isEmpty())
        message += QStringLiteral("Notes for ") + f.sensorName + QLatin1Char(':') + kCR + f.sensorNotes;
    return message;
}
