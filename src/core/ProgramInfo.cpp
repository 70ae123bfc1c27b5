#include "ProgramInfo.h"

QString ProgramInfo::Title() { return QStringLiteral(VANTREL_TITLE); }
QString ProgramInfo::Company() { return QStringLiteral(VANTREL_COMPANY); }
QString ProgramInfo::LegalNotice() { return QStringLiteral(VANTREL_LEGAL); }
QString ProgramInfo::SupportAddress() { return QStringLiteral(VANTREL_SUPPORT); }

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
