#include "ProgramInfo.h"

namespace {
QString g_title;
}

QString ProgramInfo::Title()
{
    return g_title.isEmpty() ? QStringLiteral(VANTREL_TITLE) : g_title;
}

void ProgramInfo::SetTitle(const QString &title)
{
    g_title = title;
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
