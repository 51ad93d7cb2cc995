// The window's toolbar and its height per page.
#include "SettingsFixture.h"

#include "EventLoop.h"

#include "Tisko/Camera/Cameras.h"
#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/SettingsToolbar.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

TEST(SettingsToolbar, resizedFrameKeepsTheTopEdgeAndIgnoresHalfAPoint) {
    struct Case {
        qreal height;
        qreal target;
        std::optional<qreal> resizedTo;
    };
    const Case cases[] = {
        {400, 400.5, std::nullopt},
        {400, 399.5, std::nullopt},
        {400, 400, std::nullopt},
        {400, 400.6, 400.6},
        {600, 370, 370},
        {370, 600, 600},
    };
    for (const Case& c : cases) {
        const QRectF frame(30, 80, 660, c.height);
        const std::optional<QRectF> resized = SettingsToolbar::resizedFrame(frame, c.target);
        ASSERT_EQ(resized.has_value(), c.resizedTo.has_value()) << c.height << " → " << c.target;
        if (resized) {
            EXPECT_EQ(*resized, QRectF(30, 80, 660, *c.resizedTo));
        }
    }
}

TEST(SettingsWindow, eachPageHasItsHeightAndTheTopEdgeStays) {
    SettingsFixture h;
    SettingsWindow& window = h.open(SettingsTab::detection);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ajustes de Tisko"));
    EXPECT_EQ(window.size(), QSize(660, 600));
    window.move(40, 90);
    const int top = window.geometry().top();

    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("settings"));
    ASSERT_TRUE(toolbar);
    EXPECT_FALSE(toolbar->isMovable());
    EXPECT_EQ(window.createPopupMenu(), nullptr) << "the toolbar cannot be customised";
    const QList<QAction*> items = toolbar->actions();
    QStringList labels;
    for (QAction* item : items)
        if (!item->text().isEmpty())
            labels << item->text();
    EXPECT_EQ(labels, (QStringList{QStringLiteral("General"), QStringLiteral("Avisos"),
                                   QStringLiteral("Posiciones"), QStringLiteral("Permisos")}));

    const std::pair<QString, int> pages[] = {{QStringLiteral("Permisos"), 370},
                                             {QStringLiteral("General"), 400},
                                             {QStringLiteral("Posiciones"), 460},
                                             {QStringLiteral("Avisos"), 600}};
    auto* stack = window.findChild<QStackedWidget*>();
    for (const auto& [label, height] : pages) {
        QAction* item = *std::find_if(items.begin(), items.end(),
                                      [&](QAction* a) { return a->text() == label; });
        QTest::mouseClick(toolbar->widgetForAction(item), Qt::LeftButton);
        EXPECT_EQ(stack->currentIndex(), static_cast<int>(h.tabs.tab()));
        EXPECT_TRUE(waitUntil([&] { return window.height() == height; })) << label.toStdString();
        EXPECT_TRUE(item->isChecked());
        EXPECT_EQ(window.geometry().top(), top) << label.toStdString();
        EXPECT_EQ(window.width(), 660);
    }

    // The shell keeps the tabs: a window opened again shows the last page at its height.
    h.tabs.setTab(SettingsTab::positions);
    SettingsWindow again(h.monitor(), h.tabs, {});
    EXPECT_EQ(again.findChild<QStackedWidget*>()->currentIndex(),
              static_cast<int>(SettingsTab::positions));
    EXPECT_EQ(again.size(), QSize(660, 460));
}

TEST(SettingsPermissions, allowWithoutACameraSaysToConnectOne) {
    if (Cameras::device(std::nullopt))
        GTEST_SKIP() << "this machine has a camera";
    SettingsFixture h;
    h.open(SettingsTab::permissions);
    // The camera's row is built first.
    const std::vector<QPushButton*> allow =
        h.shown<QPushButton>(h.window.get(), QStringLiteral("Permitir"));
    ASSERT_FALSE(allow.empty());
    QTest::mouseClick(allow.front(), Qt::LeftButton);
    const auto boxes = h.window->findChildren<QMessageBox*>();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.front()->text().startsWith(QStringLiteral("Conecta una cámara")));
    EXPECT_TRUE(boxes.front()->text().contains(QStringLiteral("«video»")));
    boxes.front()->close();
}

TEST(SettingsWindow, toolbarIconsFollowALiveChangeOfScheme) {
    SettingsFixture h;
    Appearance::apply(ColorScheme::light);
    SettingsWindow& window = h.open(SettingsTab::general);
    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("settings"));
    ASSERT_TRUE(toolbar);
    // The brightest pixel of every item's icon, unselected ones included.
    auto brightest = [&] {
        int least = 255;
        for (QAction* item : toolbar->actions()) {
            if (item->icon().isNull())
                continue;
            const QImage image = item->icon().pixmap(24, QIcon::Normal, QIcon::Off).toImage();
            int most = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y).alpha() > 128)
                        most = std::max(most, image.pixelColor(x, y).lightness());
            least = std::min(least, most);
        }
        return least;
    };
    ASSERT_LT(brightest(), 100);
    Appearance::apply(ColorScheme::dark);
    EXPECT_TRUE(waitUntil([&] { return brightest() > 180; }));
    Appearance::apply(ColorScheme::light);
}

} // namespace
} // namespace tisko::test
