#include "StatusBoard.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// A key claims the first line containing it (case-sensitive): replaced in place, or
// removed by "delete" in any case.
TEST(StatusBoard, OneLinePerKeyReplacedInPlaceOrDeleted)
{
    StatusBoard board;
    InstallStatusBoard(&board);
    SetStatusMessage(u"Communication Time: "_s, u"DELETE"_s); // nothing to remove
    SetStatusMessage(u"Connection "_s, u"opened with IP Address 10.0.0.5"_s);
    SetStatusMessage(u"Update Rate "_s, u"60 seconds"_s);
    SetStatusMessage(u"connection "_s, u"a"_s);
    SetStatusMessage(u"Connection "_s, u"closed"_s);
    EXPECT_EQ(board.Lines(), (QStringList{u"Connection closed"_s, u"Update Rate 60 seconds"_s,
                                          u"connection a"_s}));

    SetStatusMessage(u"Last Connection "_s, u"x"_s); // "Connection " now finds this line first
    SetStatusMessage(u"zarvo.mdb is not present.  Vantrel requires this file."_s, QString());
    SetStatusMessage(u"Connection "_s, u"y"_s);
    SetStatusMessage(u"Update Rate "_s, u"DeLeTe"_s);
    SetStatusMessage(u"zarvo.mdb is not present."_s, u"delete"_s);
    EXPECT_EQ(board.Lines(),
              (QStringList{u"Connection y"_s, u"connection a"_s, u"Last Connection x"_s}));
    // What the window's list shows: the lines as text, nothing else.
    EXPECT_EQ(board.rowCount(), 3);
    EXPECT_EQ(board.index(2).data().toString(), u"Last Connection x"_s);
    EXPECT_FALSE(board.index(2).data(Qt::ForegroundRole).isValid());
    InstallStatusBoard(nullptr);
}

// Keys are found again every cycle while other lines change around them: random reports
// from keys that occur inside each other's lines must leave the lines a plain top-down
// search would, step after step.
TEST(StatusBoard, EveryReportMatchesAPlainSearchFromTheTop)
{
    const QStringList keys = {u"Connection "_s,
                              u"Last Connection "_s,
                              u"Conn"_s,
                              u"Communication with server A at IP address 10.0.0.1"_s,
                              u"Communication with server A at IP address 10.0.0.10"_s,
                              u"Error"_s,
                              u"Time: "_s};
    const QStringList details = {u"closed"_s, u"delete"_s, u"DELETE"_s,
                                 u": OK"_s,   QString(),   u"Description Connection refused"_s,
                                 u"0"_s,      u" Error"_s};
    StatusBoard board;
    InstallStatusBoard(&board);
    QStringList expected;
    QRandomGenerator random(7);
    for (int step = 0; step < 3000; ++step) {
        const QString &key = keys.at(random.bounded(int(keys.size())));
        const QString &detail = details.at(random.bounded(int(details.size())));
        if (step % 500 == 499) {
            board.Clear();
            expected.clear();
        }
        SetStatusMessage(key, detail);
        const bool remove = detail.compare(u"delete"_s, Qt::CaseInsensitive) == 0;
        qsizetype at = 0;
        while (at < expected.size() && !expected.at(at).contains(key))
            ++at;
        at = at < expected.size() ? at : -1;
        if (at >= 0 && remove)
            expected.removeAt(at);
        else if (at >= 0)
            expected[at] = key + detail;
        else if (!remove)
            expected.append(key + detail);
        ASSERT_EQ(board.Lines(), expected)
            << "step " << step << ": " << key.toStdString() << detail.toStdString();
    }
    InstallStatusBoard(nullptr);
}
