#pragma once

#include <QString>

#include <optional>

// What a sensor's readings are measured in, by the server's model text and the port:
// the degree sign and the unit letter, "%RH", or nothing.
QString SensorUnitText(const QString &serverModel, int port, const QString &unitLetter);

struct SensorStatus {
    QString text;
    int colour = 0; // Windows colour value
};
// The Status cell of the grid: alarm texts while the sensor has active alarm rows,
// otherwise "Normal" or "NO DATA".
SensorStatus StatusOfSensor(bool hasActiveAlarms, int stateCode, float reading);

struct AlarmFacts {
    qint32 minutes = 0;
    QString serverName;
    QString sensorName;
    QString sensorType;
    QString readingText;
    QString unitText;
    QString sensorNotes;
    std::optional<float> lowerLimit; // absent when the column holds no number
    std::optional<float> upperLimit;
};
// The text of an alarm or reminder e-mail; prefix is empty or "REMINDER". Lines end in CR.
QString BuildAlarmMessage(const AlarmFacts &facts, const QString &prefix);
