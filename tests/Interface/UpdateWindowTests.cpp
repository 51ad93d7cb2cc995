// What the update window says for each outcome of a check, and where its buttons lead.
#include "Tisko/Interface/UpdateWindow.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

TEST(UpdateWindowTest, eachOutcomeHasItsTextsAndButtons) {
    const QUrl notes(QStringLiteral("https://example.org/notas"));
    const QUrl deb(QStringLiteral("https://example.org/tisko.deb"));
    const QUrl page(QStringLiteral("https://example.org/0.3"));
    struct Case {
        UpdateOutcome outcome;
        QString title;
        QString detail;
        QUrl download;
        QString closeText;
    };
    const Case cases[] = {
        {{UpdateOutcome::Kind::found,
          {QVersionNumber(0, 3), QStringLiteral("0.3"), notes, deb, page},
          {}},
         QStringLiteral("Hay una versión nueva de Tisko"),
         QStringLiteral("La 0.3 está disponible; tienes la 0.2.0."),
         deb,
         QStringLiteral("Más tarde")},
        {{UpdateOutcome::Kind::found,
          {QVersionNumber(0, 3), QStringLiteral("0.3"), {}, {}, page},
          {}},
         QStringLiteral("Hay una versión nueva de Tisko"),
         QStringLiteral("La 0.3 está disponible; tienes la 0.2.0."),
         page,
         QStringLiteral("Más tarde")},
        {{UpdateOutcome::Kind::upToDate, {}, {}},
         QStringLiteral("Tienes la última versión"),
         QStringLiteral("Tisko 0.2.0 es la versión más reciente."),
         {},
         QStringLiteral("Aceptar")},
        {{UpdateOutcome::Kind::failed, {}, QStringLiteral("el canal pasa de 1 MB")},
         QStringLiteral("No se ha podido buscar actualizaciones"),
         QStringLiteral("el canal pasa de 1 MB"),
         {},
         QStringLiteral("Aceptar")},
    };
    for (const Case& c : cases) {
        const UpdatePrompt prompt = UpdatePrompt::forOutcome(c.outcome, QStringLiteral("0.2.0"));
        EXPECT_EQ(prompt.title, c.title);
        EXPECT_EQ(prompt.detail, c.detail);
        EXPECT_EQ(prompt.download, c.download) << c.title.toStdString();
        EXPECT_EQ(prompt.closeText, c.closeText);
    }
}

TEST(UpdateWindowTest, downloadOpensTheReleaseAndEitherButtonClosesTheWindow) {
    QList<QUrl> opened;
    int closed = 0;
    for (bool download : {true, false}) {
        UpdateWindow window([&](const QUrl& url) { opened << url; });
        QObject::connect(&window, &UpdateWindow::closed, [&] { ++closed; });
        window.setPrompt(UpdatePrompt::forOutcome({UpdateOutcome::Kind::found,
                                                   {QVersionNumber(1),
                                                    QStringLiteral("1"),
                                                    {},
                                                    QUrl(QStringLiteral("https://e.org/t.deb")),
                                                    {}},
                                                   {}},
                                                  QStringLiteral("0.2.0")));
        window.show();
        EXPECT_TRUE(window.downloadButton()->isVisible());
        (download ? window.downloadButton() : window.closeButton())->click();
        EXPECT_FALSE(window.isVisible());
    }
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://e.org/t.deb"))});
    EXPECT_EQ(closed, 2);
}

} // namespace
} // namespace tisko::test
