#include "ServerDatabase.h"

#include "Clock.h"
#include "GeneralDate.h"

bool RecordSystemError(const QString &label, const QString &cause)
{
    DatabaseConnection db;
    return db.Exec(QStringLiteral("INSERT INTO tblErrors (myTime, myFunction, Cause) VALUES (?, ?, ?)"),
                   {GeneralDateText(Clock::Now()), label, cause});
}
