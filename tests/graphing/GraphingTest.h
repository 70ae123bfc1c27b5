#pragma once

#include "Clock.h"
#include "GeneralDate.h"
#include "GraphingMain.h"
#include "ProgramInfo.h"
#include "RecordLayouts.h"
#include "ScriptedPrompt.h"
#include "SensorRecordFiles.h"
#include "TempProgramFolder.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// Record files in a program folder of their own, the graphing state as at start and
// scripted message boxes and save dialogs.
class GraphingTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ResetGraphing();
    }

    // Readings through the monitoring program's own writers, one per `step` seconds.
    void WriteReadings(qint32 sensorId, const QDateTime &from, int count, int step,
                       float first = 20, float rise = 0.5f) const
    {
        for (int i = 0; i < count; ++i) {
            Clock::SetFixed(from.addSecs(qint64(i) * step));
            ASSERT_TRUE(AppendInstantRecord(Data(), sensorId, first + i * rise));
            ASSERT_TRUE(AppendAverageRecord(Data(), sensorId, first + i * rise));
        }
        Clock::SetFixed(std::nullopt);
    }

    void WriteHeader(qint32 sensorId, const QString &server, const QString &sensor,
                     const QString &units = QStringLiteral("\u00b0F")) const
    {
        ASSERT_TRUE(SaveSensorDatToFile(Data(), sensorId, sensor, server, units, 90, 10));
    }

    // Hand-made bytes appended to a file of the data folder.
    void AppendBytes(const QString &name, const QByteArray &bytes) const
    {
        QFile file(DataFile(name));
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // The folder the files are read from: the program folder at start.
    static QString Data() { return Graphing().DataFolder; }
    static QString DataFile(const QString &name) { return QDir(Data()).filePath(name); }

    static QByteArray Instant(const char *date, float reading)
    {
        return InstantRecord{QString::fromLatin1(date), reading}.Encode();
    }

    static QByteArray Average(const char *date, float sum, float minimum, float maximum,
                              qint32 count)
    {
        return AverageRecord{QString::fromLatin1(date), sum, minimum, maximum, count}.Encode();
    }

    static QString Name(const QString &path) { return QFileInfo(path).fileName(); }

    ScriptedPrompt prompt;
};
