#include "ProgramInfo.h"

namespace {
QString &ProgramTitle()
{
    static QString title = QStringLiteral(VANTREL_TITLE);
    return title;
}
} // namespace

void ProgramInfo::SetTitle(const QString &title)
{
    ProgramTitle() = title;
}

QString ProgramInfo::Title()
{
    return ProgramTitle();
}
QString ProgramInfo::Company()
{
    return QStringLiteral(VANTREL_COMPANY);
}
QString ProgramInfo::LegalNotice()
{
    return QStringLiteral(VANTREL_LEGAL);
}
QString ProgramInfo::SupportAddress()
{
    return QStringLiteral(VANTREL_SUPPORT);
}

QString ProgramInfo::VersionNumbers()
{
    return QStringLiteral("%1.%2.%3")
        .arg(VANTREL_VERSION_MAJOR)
        .arg(VANTREL_VERSION_MINOR)
        .arg(VANTREL_VERSION_TWEAK);
}

QString ProgramInfo::VersionLine()
{
    return QStringLiteral("Version ") + VersionNumbers();
}
