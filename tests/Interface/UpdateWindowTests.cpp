// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the update window's buttons lead.
#include "Tisko/Interface/UpdateWindow.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

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
