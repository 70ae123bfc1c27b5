#include "frmAbout.h"
#include "frmSplash.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The texts of the named labels, "|" between them.
QString LabelTexts(const QWidget &form, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names) {
        const auto *label = form.findChild<QLabel *>(name);
        texts << (label ? label->text() : u"<no "_s + name + u'>');
    }
    return texts.join(u'|');
}

TEST(frmSplashTest, ShowsTheVersionAndClosesOnAKeyAClickOrAfterThePause)
{
    frmSplash splash;
    EXPECT_EQ(LabelTexts(splash, {u"lblVersion"_s, u"lblProductName"_s, u"lblCompanyProduct"_s,
                                  u"lblCompany"_s}),
              u"Version 4.2.4|Zarvo Vantrel|Zarvo|Zarvo Monitoring"_s);
    EXPECT_FALSE(LabelTexts(splash, {u"lblCopyright"_s}).isEmpty());
    for (const auto *picture :
         {splash.findChild<QLabel *>(u"imgLogo"_s), splash.findChild<QLabel *>(u"Image2"_s)})
        EXPECT_TRUE(picture && !picture->pixmap().isNull());

    // Long enough that returning early can only come from the key or click.
    constexpr int kPause = 60000;
    for (const bool click : {false, true}) {
        splash.show();
        QTimer::singleShot(20, &splash, [&] {
            if (click)
                QTest::mouseClick(splash.findChild<QFrame *>(u"Frame1"_s), Qt::LeftButton);
            else
                QTest::keyClick(&splash, Qt::Key_Space);
        });
        QElapsedTimer elapsed;
        elapsed.start();
        splash.CloseAfter(kPause);
        EXPECT_LT(elapsed.elapsed(), kPause / 2) << (click ? "click" : "key");
        EXPECT_FALSE(splash.isVisible());
    }
    splash.show();
    splash.CloseAfter(10);
    EXPECT_FALSE(splash.isVisible());
}

TEST(frmAboutTest, TextsAndButton)
{
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), u"About Zarvo Vantrel"_s);
    EXPECT_EQ(LabelTexts(about, {u"lblTitle"_s, u"lblVersion"_s, u"lblDescription"_s}),
              u"Zarvo Vantrel|Version 4.2.4|Copyright (C) Zarvo Monitoring. All rights reserved."
              "\n\nFor technical support email:\nsupport@zarvo.example"_s);
    const auto *ok = about.findChild<QPushButton *>(u"cmdOK"_s);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), u"OK"_s);
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
