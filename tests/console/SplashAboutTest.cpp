#include "frmAbout.h"
#include "frmSplash.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString LabelText(const QWidget &form, const char *name)
{
    const auto *label = form.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

TEST(frmSplashTest, ShowsTheVersionInformation)
{
    frmSplash splash;
    EXPECT_EQ(
        (QStringList{LabelText(splash, "lblVersion"), LabelText(splash, "lblProductName"),
                     LabelText(splash, "lblCompanyProduct"), LabelText(splash, "lblCompany")}),
        (QStringList{QStringLiteral("Version 4.2.4"), QStringLiteral("Zarvo Vantrel"),
                     QStringLiteral("Zarvo"), QStringLiteral("Zarvo Monitoring")}));
    EXPECT_FALSE(LabelText(splash, "lblCopyright").isEmpty());
    for (const char *picture : {"imgLogo", "Image2"}) {
        const auto *label = splash.findChild<QLabel *>(QLatin1String(picture));
        ASSERT_NE(label, nullptr) << picture;
        EXPECT_FALSE(label->pixmap().isNull()) << picture;
    }
}

TEST(frmSplashTest, AKeyOrAClickOnTheFrameEndsThePauseEarly)
{
    // Long enough that returning early can only come from the key or click.
    constexpr int kPause = 60000;
    const struct {
        const char *name;
        std::function<void(frmSplash &)> act;
    } rows[] = {
        {"key", [](frmSplash &splash) { QTest::keyClick(&splash, Qt::Key_Space); }},
        {"click",
         [](frmSplash &splash) {
             QTest::mouseClick(splash.findChild<QFrame *>(QStringLiteral("Frame1")),
                               Qt::LeftButton);
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        frmSplash splash;
        splash.show();
        QTimer::singleShot(20, &splash, [&] { row.act(splash); });
        QElapsedTimer elapsed;
        elapsed.start();
        splash.CloseAfter(kPause);
        EXPECT_LT(elapsed.elapsed(), kPause / 2);
        EXPECT_FALSE(splash.isVisible());
    }

    frmSplash splash;
    splash.show();
    splash.CloseAfter(10);
    EXPECT_FALSE(splash.isVisible());
}

TEST(frmAboutTest, TextsAndButton)
{
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Zarvo Vantrel"));
    EXPECT_EQ(LabelText(about, "lblTitle"), QStringLiteral("Zarvo Vantrel"));
    EXPECT_EQ(LabelText(about, "lblVersion"), QStringLiteral("Version 4.2.4"));
    EXPECT_EQ(LabelText(about, "lblDescription").split(u'\n'),
              (QStringList{QStringLiteral("Copyright (C) Zarvo Monitoring. All rights reserved."),
                           QString(), QStringLiteral("For technical support email:"),
                           QStringLiteral("support@zarvo.example")}));
    const auto *ok = about.findChild<QPushButton *>(QStringLiteral("cmdOK"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
