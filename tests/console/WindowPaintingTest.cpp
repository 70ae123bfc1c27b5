#include "ClassicProgressStyle.h"
#include "StatusBoard.h"
#include "StatusList.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPaintEvent>
#include <QProgressBar>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <functional>

// The status list paints what a plain list view over the same board paints, pixel for
// pixel and scrolled to its end: text, colours, selection, focus frame and the width the
// lines scroll over, also after a line changed, grew past the others, shrank or went.
TEST(StatusList, LooksLikeAPlainListView)
{
    StatusBoard board;
    for (const char *line : {"Connection opened with IP Address 127.77.0.1",
                             "Last download data at: 5/3/2026 10:15:07 AM", "Two\nlines", "",
                             "\u05E9\u05DC\u05D5\u05DD: OK", "Communication Time: 1 seconds"})
        board.Append(QString::fromUtf8(line));
    QWidget window;
    auto *row = new QHBoxLayout(&window);
    const std::array<QListView *, 2> lists = {new StatusList, new QListView};
    for (QListView *list : lists) {
        list->setModel(&board);
        list->setFixedSize(260, 200);
        row->addWidget(list);
    }
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const std::pair<const char *, std::function<void()>> steps[] = {
        {"as shown", [] {}},
        {"a line changed", [&] { board.Replace(1, QStringLiteral("Last download: now")); }},
        {"a line grew past the others", [&] { board.Replace(0, QString(80, u'w')); }},
        {"selected and current",
         [&] {
             for (QListView *list : lists) {
                 list->setCurrentIndex(board.index(2));
                 list->selectionModel()->select(board.index(3), QItemSelectionModel::Select);
             }
         }},
        {"the widest line shrank", [&] { board.Replace(0, QString(50, u'w')); }},
        {"a line removed", [&] { board.Remove(0); }},
        {"disabled", [&] { window.setEnabled(false); }},
    };
    for (const auto &[name, step] : steps) {
        step();
        QApplication::processEvents();
        QImage images[2];
        for (int i = 0; i < 2; ++i) {
            lists[i]->setFocus();
            lists[i]->horizontalScrollBar()->setValue(lists[i]->horizontalScrollBar()->maximum());
            QApplication::processEvents();
            images[i] = lists[i]->viewport()->grab().toImage();
        }
        EXPECT_EQ(images[0], images[1]) << name;
    }
}

// A changed line is painted again alone, unless it changes the width all lines are laid
// out in.
TEST(StatusList, AChangedLineIsPaintedAgainAlone)
{
    struct PaintedRegion : QObject {
        QRegion region;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                region += static_cast<QPaintEvent *>(event)->region();
            return false;
        }
    } painted;
    StatusBoard board;
    for (const char *line : {"Connection opened with IP Address 127.77.0.1", "closed", "OK"})
        board.Append(QString::fromUtf8(line));
    StatusList list;
    list.setModel(&board);
    list.resize(300, 120);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.viewport()->installEventFilter(&painted);

    const struct {
        const char *name;
        int row;
        QString text;
        bool all;
    } changes[] = {
        {"narrower", 1, QStringLiteral("opened"), false},
        {"wider, within the widest", 1, QStringLiteral("could not be established"), false},
        {"wider than the widest", 2, QString(60, u'w'), true}};
    for (const auto &change : changes) {
        QApplication::processEvents();
        painted.region = {};
        board.Replace(change.row, change.text);
        const QRect line = list.visualRect(board.index(change.row));
        const QRect other = list.visualRect(board.index(change.row == 0 ? 1 : 0));
        EXPECT_TRUE(QTest::qWaitFor([&] { return painted.region.contains(line); })) << change.name;
        QApplication::processEvents();
        EXPECT_EQ(painted.region.intersects(other), change.all) << change.name;
    }
}

// The progress bar's quicker frame and chunks are the classic style's, pixel for pixel, also
// where the window colour is the frame's shade or light, at any fill and width, and on a bar
// too low for the chunks' free rows; the bar covers all its pixels.
TEST(ClassicProgressStyle, LooksLikeTheClassicStyle)
{
    std::unique_ptr<QStyle> classic(QStyleFactory::create(QStringLiteral("Windows")));
    ClassicProgressStyle quick;
    const QPalette plain = QApplication::palette();
    const std::pair<const char *, QPalette::ColorRole> windows[] = {
        {"plain", QPalette::Window}, {"dark", QPalette::Dark}, {"light", QPalette::Light}};
    // Turned and mirrored bars come after plain ones: they are the classic style's own.
    const struct {
        int value, maximum, width, height;
        bool inverted = false;
        Qt::Orientation orientation = Qt::Horizontal;
    } bars[] = {{7, 20, 300, 20},       {0, 20, 300, 20},
                {20, 20, 300, 20},      {19, 20, 301, 20},
                {1, 25, 43, 20},        {3, 3, 40, 20},
                {9, 20, 300, 9},        {9, 20, 300, 12},
                {7, 20, 300, 20, true}, {7, 20, 20, 300, false, Qt::Vertical}};
    for (const auto &[window, role] : windows) {
        for (const auto &shown : bars) {
            const QString name = QStringLiteral("%1 %2/%3 at %4x%5 px, inverted %6")
                                     .arg(QLatin1String(window))
                                     .arg(shown.value)
                                     .arg(shown.maximum)
                                     .arg(shown.width)
                                     .arg(shown.height)
                                     .arg(shown.inverted);
            QPalette colours = plain;
            colours.setColor(QPalette::Window, plain.color(role));
            QImage images[2];
            int i = 0;
            for (QStyle *style : {static_cast<QStyle *>(&quick), classic.get()}) {
                QProgressBar bar;
                bar.setStyle(style);
                bar.setPalette(colours);
                bar.setTextVisible(false);
                bar.setRange(0, shown.maximum);
                bar.setValue(shown.value);
                bar.setInvertedAppearance(shown.inverted);
                bar.setOrientation(shown.orientation);
                bar.resize(shown.width, shown.height);
                // On nothing, so that a pixel left unpainted shows.
                QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
                image.fill(Qt::transparent);
                bar.render(&image, {}, {}, QWidget::DrawChildren);
                images[i++] = image;
            }
            EXPECT_EQ(images[0], images[1]) << name.toStdString();
            // It paints every pixel of its own: nothing under it is painted first.
            bool covered = true;
            for (int y = 0; y < images[0].height(); ++y)
                for (int x = 0; x < images[0].width(); ++x)
                    covered = covered && qAlpha(images[0].pixel(x, y)) == 255;
            EXPECT_TRUE(covered) << name.toStdString();
        }
    }
}
