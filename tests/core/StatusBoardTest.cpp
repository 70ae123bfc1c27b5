#include "StatusBoard.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// A key claims the first line containing it (case-sensitive): replaced in place, or
// removed by "delete" in any case.
TEST(StatusBoard, OneLinePerKeyReplacedInPlaceOrDeleted)
{
    PlainStatusBoard board;
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
    InstallStatusBoard(nullptr);
}
