#include "StatusBoard.h"

#include <gtest/gtest.h>

class StatusBoardTest : public ::testing::Test {
protected:
    void SetUp() override { InstallStatusBoard(&m_board); }
    void TearDown() override { InstallStatusBoard(nullptr); }
    QStringList Lines() const { return m_board.Lines(); }

    PlainStatusBoard m_board;
};

TEST_F(StatusBoardTest, SameKeyReplacesTheLineInPlace)
{
    SetStatusMessage(QStringLiteral("Connection "), QStringLiteral("opened with IP Address 10.0.0.5"));
    SetStatusMessage(QStringLiteral("Update Rate "), QStringLiteral("60 seconds"));
    SetStatusMessage(QStringLiteral("Connection "), QStringLiteral("closed"));
    EXPECT_EQ(Lines(), (QStringList{QStringLiteral("Connection closed"),
                                    QStringLiteral("Update Rate 60 seconds")}));
}

TEST_F(StatusBoardTest, DeleteInAnyCaseRemovesOnlyAnExistingLine)
{
    SetStatusMessage(QStringLiteral("Communication Time: "), QStringLiteral("DELETE"));
    EXPECT_TRUE(Lines().isEmpty());
    SetStatusMessage(QStringLiteral("Communication Time: "), QStringLiteral("3 seconds"));
    SetStatusMessage(QStringLiteral("Communication Time: "), QStringLiteral("DeLeTe"));
    EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(StatusBoardTest, KeyInsideAnEarlierLineClaimsThatLine)
{
    SetStatusMessage(QStringLiteral("zarvo.mdb is not present in the application directory.  Vantrel requires this file."),
                     QString());
    SetStatusMessage(QStringLiteral("Other"), QString());
    SetStatusMessage(QStringLiteral("zarvo.mdb is not present in the application directory."),
                     QStringLiteral("delete"));
    EXPECT_EQ(Lines(), QStringList{QStringLiteral("Other")});

    SetStatusMessage(QStringLiteral("Last Connection "), QStringLiteral("x"));
    SetStatusMessage(QStringLiteral("Connection "), QStringLiteral("y"));
    EXPECT_EQ(Lines().at(1), QStringLiteral("Connection y"));
    EXPECT_EQ(Lines().size(), 2);
}

TEST_F(StatusBoardTest, KeyMatchIsCaseSensitiveAndEmptyDetailIsKept)
{
    SetStatusMessage(QStringLiteral("connection "), QStringLiteral("a"));
    SetStatusMessage(QStringLiteral("Connection "), QString());
    EXPECT_EQ(Lines(), (QStringList{QStringLiteral("connection a"), QStringLiteral("Connection ")}));
}
