// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every window as a whole, in light and dark: nothing outside its parent or cut, every text
// readable against what is behind it, every control named for assistive technology.
#include "Contrast.h"
#include "EventLoop.h"
#include "SettingsFixture.h"

#include "Tisko/Interface/Appearance.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/MenuBarPanel.h"
#include "Tisko/Interface/PanelButton.h"
#include "Tisko/Interface/PanelStyle.h"
#include "Tisko/Interface/SettingsToolbar.h"
#include "Tisko/Support/Translations.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace tisko::test {
namespace {

// A name of 60 characters, as a user may well give a position.
const std::string longName = "Escritorio de la oficina junto a la ventana grande del fondo";

std::string describe(const QWidget* widget) {
    const auto* label = qobject_cast<const QLabel*>(widget);
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    const QString text = label ? label->text() : button ? button->text() : QString();
    return widget->metaObject()->className() + (u" «"_qs + text + u'»').toStdString();
}

// Nothing lies outside its parent, and no text is cut or shortened, except the panel's rows and
// the hint's button, which shorten long names on purpose.
void expectLaidOut(QWidget* window) {
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->isWindow())
            continue;
        SCOPED_TRACE(describe(widget));
        EXPECT_TRUE(QRect(QPoint(), widget->parentWidget()->size()).contains(widget->geometry()));
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty()) {
            const int width = label->contentsRect().width();
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
            else
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), width);
        } else if (qobject_cast<QPushButton*>(widget) || qobject_cast<QCheckBox*>(widget) ||
                   qobject_cast<QComboBox*>(widget)) {
            EXPECT_LE(widget->sizeHint().width(), widget->width());
        }
    }
}

// The contrast of the text drawn in `area`: its most frequent colour is the ground, the colour
// that stands out most from it is the ink.
double textContrast(const QImage& picture, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[picture.pixel(x, y) | 0xff000000u];
    if (counts.empty())
        return 0;
    const QRgb ground =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    double best = 1;
    for (const auto& [colour, count] : counts)
        best = std::max(best, contrast(QColor::fromRgb(colour), QColor::fromRgb(ground)));
    return best;
}

// The rectangle of `widget` in which its text is drawn, in `window`'s coordinates; empty for
// widgets without text.
QRect textArea(QWidget* widget, QWidget* window) {
    QRect area;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (!label->text().isEmpty())
            area = label->contentsRect();
    } else if (auto* row = qobject_cast<PanelButton*>(widget)) {
        area = row->rect().adjusted(PanelStyle::horizontalPadding, 0, 0, 0);
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        const int indicator = box->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                              box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        area = box->rect().adjusted(indicator + 1, 0, 0, 0);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        area = button->rect().adjusted(4, 4, -4, -4);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget); group && !group->title().isEmpty()) {
        area = QRect(0, 0, group->fontMetrics().horizontalAdvance(group->title()) + 16,
                     group->fontMetrics().height());
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        area = combo->rect().adjusted(4, 4, -24, -4);
    }
    return area.isEmpty() ? area : area.translated(widget->mapTo(window, QPoint()));
}

// Every enabled text of the window reaches 4.5:1 against its ground.
void expectReadable(QWidget* window) {
    const QImage picture = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal scale = picture.devicePixelRatio();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || !widget->isEnabled())
            continue;
        const QRect area = textArea(widget, window);
        if (!area.isEmpty()) {
            const QRect pixels(area.topLeft() * scale, area.size() * scale);
            EXPECT_GE(textContrast(picture, pixels), 4.5) << describe(widget);
        }
    }
    for (QTabBar* tabs : window->findChildren<QTabBar*>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            const QRect tab = tabs->tabRect(i);
            const QRect label(tab.left(), tab.center().y() + 4, tab.width(), tab.height() / 2 - 6);
            EXPECT_GE(textContrast(picture, label.translated(tabs->mapTo(window, QPoint()))), 4.5)
                << tabs->tabText(i).toStdString();
        }
    }
}

// Every control a user can reach has a name for assistive technology, and page tabs are page
// tabs.
void expectNamed(QWidget* window) {
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window))
            continue;
        const bool interactive = qobject_cast<QAbstractButton*>(widget) ||
                                 qobject_cast<QComboBox*>(widget) ||
                                 qobject_cast<QLineEdit*>(widget) || qobject_cast<QTabBar*>(widget);
        if (!interactive)
            continue;
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
        ASSERT_TRUE(node) << describe(widget);
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << describe(widget);
        if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            int pages = 0;
            for (int i = 0; i < node->childCount(); ++i) {
                if (node->child(i)->role() == QAccessible::PageTab) {
                    ++pages;
                    EXPECT_FALSE(node->child(i)->text(QAccessible::Name).isEmpty());
                }
            }
            EXPECT_EQ(pages, tabs->count());
        }
    }
}

void expectSound(QWidget* window) {
    expectLaidOut(window);
    expectReadable(window);
    expectNamed(window);
}

// Shows `widget` off screen at no less than its minimum size.
void show(QWidget& widget) {
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    QCoreApplication::processEvents();
    widget.resize(widget.size().expandedTo(widget.minimumSizeHint()));
    QCoreApplication::processEvents();
}

// Every window in both schemes and in each language Tisko speaks: a translation must fit too.
struct WindowChecks : ::testing::TestWithParam<std::tuple<ColorScheme, const char*>> {
    void SetUp() override {
        Appearance::apply(std::get<0>(GetParam()));
        Translations::install({QString::fromLatin1(std::get<1>(GetParam()))});
    }
    void TearDown() override {
        Appearance::apply(ColorScheme::light);
        Translations::install({QStringLiteral("es-ES")});
    }
};

TEST_P(WindowChecks, panelWithALongNameAHintAndAnUpdate) {
    SettingsFixture h;
    h.monitor().start();
    {
        // No position yet: the main button's text on the accent.
        MenuBarPanel panel(h.monitor(), {}, false);
        show(panel);
        ASSERT_TRUE(panel.content().statusButton && panel.content().statusButton->prominent);
        expectSound(&panel);
    }
    h.monitor().saveCalibration(position("Mesa"));
    h.monitor().saveCalibration(position(longName));
    h.monitor().setReferenceSuspectForPictures(ReferenceCheck::Problem::tooClose);
    MenuBarPanel panel(
        h.monitor(), [] { return std::optional<QString>(QStringLiteral("0.3.0")); }, false);
    show(panel);
    ASSERT_TRUE(panel.content().hint && panel.content().update);
    expectSound(&panel);
    EXPECT_EQ(panel.width(), PanelStyle::width);

    // The hint's button shortens the name it shows and says it whole.
    const QString resave = QCoreApplication::translate("PanelModel", "Volver a guardar «%1»…")
                               .arg(QString::fromStdString(longName));
    const auto buttons = panel.findChildren<QPushButton*>();
    EXPECT_TRUE(std::any_of(buttons.begin(), buttons.end(), [&](QPushButton* b) {
        return b->accessibleName() == resave && b->text() != resave;
    }));
    // The position in use is a checked row.
    for (PanelButton* row : panel.findChildren<PanelButton*>()) {
        if (row->accessibleName() == QString::fromStdString(longName)) {
            EXPECT_TRUE(QAccessible::queryAccessibleInterface(row)->state().checked);
        }
    }
}

TEST_P(WindowChecks, settingsPagesAtTheirSizes) {
    SettingsFixture h;
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));
    h.monitor().saveCalibration(position(longName));
    SettingsWindow& window = h.open(SettingsTab::general);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "one size, not resizable";
    for (SettingsTab tab : {SettingsTab::general, SettingsTab::detection, SettingsTab::positions,
                            SettingsTab::permissions}) {
        SCOPED_TRACE(rawValue(tab).toStdString());
        h.tabs.setTab(tab);
        ASSERT_TRUE(waitUntil([&] {
            return window.centralWidget()->size() ==
                   QSize(660, SettingsToolbar::contentHeight(tab));
        })) << window.centralWidget()->height();
        QCoreApplication::processEvents(); // the page's scroll area follows the new height
        expectSound(&window);
    }
}

TEST_P(WindowChecks, recordingWindow) {
    SettingsFixture h;
    h.monitor().start();
    CalibrationModel model(h.monitor(), std::nullopt);
    model.setPhase(CalibrationModel::Phase::ready());
    model.setSeesFace(true);
    CalibrationView view(model, true);
    show(view);
    EXPECT_EQ(view.minimumSize(), view.maximumSize()) << "one size, not resizable";
    EXPECT_FALSE(view.windowFlags() & Qt::WindowMaximizeButtonHint);
    expectSound(&view);
}

std::string
schemeAndLanguage(const ::testing::TestParamInfo<std::tuple<ColorScheme, const char*>>& info) {
    return std::string(std::get<0>(info.param) == ColorScheme::light ? "light_" : "dark_") +
           std::string(std::get<1>(info.param)).substr(0, 2);
}

INSTANTIATE_TEST_SUITE_P(SchemesAndLanguages, WindowChecks,
                         ::testing::Combine(::testing::Values(ColorScheme::light,
                                                              ColorScheme::dark),
                                            ::testing::Values("es-ES", "en-US")),
                         schemeAndLanguage);

} // namespace
} // namespace tisko::test
