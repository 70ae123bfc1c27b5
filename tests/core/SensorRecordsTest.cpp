#include "Database.h"
#include "ScriptedPrompt.h"
#include "ServerDatabase.h"
#include "TempProgramFolder.h"

#include <gtest/gtest.h>

namespace {

class SensorRecords : public TempProgramFolder {
protected:
    QStringList Stored() const
    {
        return Rows(
            QStringLiteral("SELECT ServerIDNum, PortNum, SensorName, SensorNotes, SensorType,"
                           " UpperLimit, LowerLimit, TOL FROM tblSensors ORDER BY IDNum"));
    }

    ScriptedPrompt m_prompt;
};

} // namespace

TEST_F(SensorRecords, SavingAChannelTwiceInsertsThenUpdatesOneRow)
{
    ASSERT_TRUE(SaveSensorRecord(4, QStringLiteral("Freezer"), 2, QStringLiteral("n"),
                                 QStringLiteral("Temp"), QStringLiteral("10"),
                                 QStringLiteral("-20.5"), QStringLiteral("5")));
    ASSERT_TRUE(SaveSensorRecord(4, QStringLiteral("Lab's \"cold\" room"), 2,
                                 QStringLiteral("door's left open'); --"), QStringLiteral("Temp"),
                                 QStringLiteral(" 1e1 "), QString(), QStringLiteral("")));
    EXPECT_EQ(Stored(), QStringList{QStringLiteral(
                            "ServerIDNum=4|PortNum=2|SensorName=Lab's \"cold\" room|"
                            "SensorNotes=door's left open'); --|SensorType=Temp|UpperLimit=10|"
                            "LowerLimit=NULL|TOL=NULL")});
    QString notes;
    ASSERT_TRUE(LoadSensorNotes(4, 2, notes));
    EXPECT_EQ(notes, QStringLiteral("door's left open'); --"));
    EXPECT_TRUE(m_prompt.Texts().isEmpty());
}

TEST_F(SensorRecords, TextsThatAreNotNumbersAreRefusedAndNothingIsStored)
{
    ASSERT_TRUE(SaveSensorRecord(1, QStringLiteral("Kept"), 3, {}, {}, QStringLiteral("30"),
                                 QStringLiteral("10"), QStringLiteral("2")));
    const QStringList before = Stored();
    struct Case {
        const char *upper, *lower, *tol, *description;
    };
    const Case cases[] = {
        {"abc", "10", "2", "Upper limit \"abc\" is not a number."},
        {"30", "1,500", "2", "Lower limit \"1,500\" is not a number."},
        {"12x", "10", "2", "Upper limit \"12x\" is not a number."},
        {"inf", "10", "2", "Upper limit \"inf\" is not a number."},
        {"1e39", "10", "2", "Upper limit \"1e39\" is not a number."},
        {"30", "10", "2.5", "Time out of limits \"2.5\" is not a whole number."},
        {"30", "10", "two", "Time out of limits \"two\" is not a whole number."},
    };
    for (const Case &c : cases) {
        for (const qint16 port : {qint16(3), qint16(4)}) { // an update, then an insert
            EXPECT_FALSE(SaveSensorRecord(1, QStringLiteral("Changed"), port, {}, {},
                                          QLatin1String(c.upper), QLatin1String(c.lower),
                                          QLatin1String(c.tol)));
            ASSERT_FALSE(m_prompt.Messages().isEmpty());
            EXPECT_EQ(
                m_prompt.Messages().last().text,
                QStringLiteral("Error saving sensor record for port %1, the error is ").arg(port) +
                    QLatin1String(c.description));
            EXPECT_EQ(m_prompt.Messages().last().buttons, Prompt::Buttons::Ok);
            EXPECT_EQ(m_prompt.Messages().last().icon, Prompt::Icon::None);
        }
    }
    EXPECT_EQ(Stored(), before);
}

TEST_F(SensorRecords, NamedSensorsAreCountedAndListedByPort)
{
    qint16 count = 9;
    EXPECT_FALSE(CountNamedSensors(count));
    EXPECT_EQ(count, 0);

    struct Row {
        qint32 server;
        qint16 port;
        const char *name;
    };
    for (const Row &r :
         {Row{1, 3, "c"}, Row{1, 1, "a"}, Row{1, 2, ""}, Row{2, 1, "other"}, Row{3, 1, ""}})
        ASSERT_TRUE(SaveSensorRecord(r.server, QLatin1String(r.name), r.port, {}, {}, {}, {}, {}));

    EXPECT_TRUE(CountNamedSensors(count));
    EXPECT_EQ(count, 3);

    Recordset rs;
    ASSERT_TRUE(OpenServerSensors(1, rs, count));
    EXPECT_EQ(count, 2);
    ASSERT_EQ(rs.size(), 2);
    EXPECT_EQ(rs[0].value(QStringLiteral("SensorName")).toString(), QStringLiteral("a"));
    EXPECT_EQ(rs[1].value(QStringLiteral("PortNum")).toInt(), 3);

    EXPECT_FALSE(OpenServerSensors(3, rs, count));
    EXPECT_EQ(count, 0);
}

TEST_F(SensorRecords, NotesOfAChannelWithoutRowOrNotesAreEmpty)
{
    QString notes = QStringLiteral("old");
    EXPECT_TRUE(LoadSensorNotes(1, 1, notes));
    EXPECT_EQ(notes, QString());

    DatabaseConnection db;
    ASSERT_TRUE(
        db.Exec(QStringLiteral("INSERT INTO tblSensors (ServerIDNum, PortNum) VALUES (1, 1)")));
    notes = QStringLiteral("old");
    EXPECT_TRUE(LoadSensorNotes(1, 1, notes));
    EXPECT_EQ(notes, QString());
    EXPECT_TRUE(m_prompt.Texts().isEmpty());
}
