#include "ConfigRecord.h"

namespace {

QString NeverSet(int width)
{
    return QString(width, QChar(u'\0'));
}

} // namespace

ConfigRecord::ConfigRecord()
    : Reserved1(NeverSet(50)), Reserved2(NeverSet(50)), OrgName(NeverSet(51)),
      OrgAddress(NeverSet(250)), OrgPhoneNumber(NeverSet(20)), PrinterName(NeverSet(100)),
      AutoPrintReport(NeverSet(3)), TimeToPrint(NeverSet(2)), TimeToPrintAMPM(NeverSet(2)),
      SMTPHost(NeverSet(100)), SMTPUserName(NeverSet(100)), SMTPPassword(NeverSet(100)),
      LoginDomain(NeverSet(100)), AuthenticationMethod(NeverSet(20)),
      ServerFailureEmailAddress(NeverSet(100)), FromAddress(NeverSet(100)),
      LastSystemOKEmail(NeverSet(25)), AdminUserName(NeverSet(100)),
      AdminPassword(NeverSet(100)), LogDir(NeverSet(100)), AlarmEmailSubjectLine(NeverSet(40))
{
}

ConfigRecord &Config()
{
    static ConfigRecord record;
    return record;
}

QString ConfigText(const QString &field)
{
    QString text = field;
    text.replace(QChar(u'\0'), QChar(u' '));
    return text.trimmed();
}
