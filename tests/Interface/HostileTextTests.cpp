// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Text from outside (the update feed, the server, the positions file) shown as it is: never
// read as markup, never a reason to load a file; and where the update window's buttons lead.
#include "SettingsFixture.h"

#include "TestFiles.h"

#include "Tisko/Interface/UpdateWindow.h"

#include <QAccessible>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

// What a screen reader hears of a label: its text, with markup rendered down to plain text.
QString heard(QLabel* label) {
    return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

struct HostileText : ::testing::Test {
    HostileText() {
        QImage tall(1, 2000, QImage::Format_RGB32);
        tall.fill(Qt::red);
        tall.save(picture);
        texts = {
            QStringLiteral("9.9.8 <img src=\"/dev/zero\">"),
            QStringLiteral("Mesa <img src=\"%1\">").arg(picture),
            QStringLiteral("<h1>Grande</h1><a href=\"https://e.org\">pulsa</a> <b>ya</b>"),
            QStringLiteral("Sofá \u202Eodnum\u202C \u2066x\u2069 fin"),
            QStringLiteral("línea uno\nlínea dos\r\ntres"),
            QStringLiteral("<p>") + QString(1024 * 1024, QLatin1Char('m')),
        };
    }
    // Each label holds the text as it is (the beginning of it, where only that is kept), and
    // no picture was put in it.
    static void expectLiteral(QWidget* window, const QString& text) {
        window->show();
        window->grab();  // drawn, as on screen
        int showing = 0; // the labels that say something of `text`
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || !label->text().contains(text.left(20)))
                continue;
            ++showing;
            EXPECT_TRUE(heard(label).contains(text.left(100)))
                << "shown as «" << heard(label).left(80).toStdString() << "» for «"
                << text.left(80).toStdString() << "»";
            EXPECT_LT(label->sizeHint().height(), 2000) << text.left(40).toStdString();
        }
        EXPECT_GT(showing, 0) << text.left(40).toStdString();
    }

    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("local.png"));
    QStringList texts;
};

TEST_F(HostileText, feedAndServerWordsInTheUpdateWindowAndPositionNamesOnThePositionsPage) {
    for (const QString& text : texts) {
        UpdateWindow found([](const QUrl&) {});
        AppcastItem item{QVersionNumber(9), text, {}, QUrl(u"https://e.org/t.deb"_qs), {}};
        found.setPrompt(
            UpdatePrompt::forOutcome({UpdateOutcome::Kind::found, item, {}}, u"0.2"_qs));
        expectLiteral(&found, text);
        UpdateWindow failed([](const QUrl&) {});
        failed.setPrompt(
            UpdatePrompt::forOutcome({UpdateOutcome::Kind::failed, {}, text}, u"0.2"_qs));
        expectLiteral(&failed, text);
    }
    SettingsFixture h;
    h.monitor().start();
    for (const QString& text : texts)
        h.monitor().saveCalibration(position(text.toStdString()));
    h.open(SettingsTab::positions);
    for (const QString& text : texts)
        expectLiteral(h.window.get(), text);
}

TEST(UpdateWindowTest, downloadOpensTheFileOrElseThePageAndEitherButtonCloses) {
    const QUrl deb(QStringLiteral("https://e.org/t.deb"));
    const QUrl page(QStringLiteral("https://e.org/1"));
    QList<QUrl> opened;
    int closed = 0;
    for (const auto& [enclosure, download] : {std::pair{deb, true}, {QUrl(), true}, {deb, false}}) {
        UpdateWindow window([&](const QUrl& url) { opened << url; });
        QObject::connect(&window, &UpdateWindow::closed, [&] { ++closed; });
        const AppcastItem item{QVersionNumber(1), QStringLiteral("1"), {}, enclosure, page};
        window.setPrompt(UpdatePrompt::forOutcome({UpdateOutcome::Kind::found, item, {}},
                                                  QStringLiteral("0.2.0")));
        window.show();
        (download ? window.downloadButton() : window.closeButton())->click();
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(opened, (QList<QUrl>{deb, page}));
    EXPECT_EQ(closed, 3);
}

} // namespace
} // namespace tisko::test
