// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/UpdateWindow.h"

#include "Tisko/Interface/Appearance.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tisko {

namespace {

constexpr int iconSize = 64;
constexpr int textWidth = 300;

} // namespace

UpdateWindow::UpdateWindow(Opener opener, QWidget* parent)
    : QWidget(parent, Qt::Dialog)
    , m_opener(opener ? std::move(opener)
                      : Opener([](const QUrl& url) { QDesktopServices::openUrl(url); }))
    , m_icon(new QLabel(this))
    , m_title(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_notes(new QLabel(this))
    , m_download(new QPushButton(UpdatePrompt::downloadText(), this))
    , m_close(new QPushButton(this)) {
    setWindowTitle(UpdatePrompt::windowTitle());
    const QIcon appIcon = Appearance::appIcon();
    setWindowIcon(appIcon);
    m_icon->setPixmap(appIcon.pixmap(iconSize));
    m_icon->setAlignment(Qt::AlignTop);

    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.15);
    m_title->setFont(titleFont);
    for (QLabel* label : {m_title, m_detail, m_notes}) {
        label->setWordWrap(true);
        label->setFixedWidth(textWidth);
    }
    // The title and detail carry the feed's and the server's words: text, never markup.
    m_title->setTextFormat(Qt::PlainText);
    m_detail->setTextFormat(Qt::PlainText);
    m_notes->setTextFormat(Qt::RichText);
    m_notes->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_notes, &QLabel::linkActivated, this,
            [this](const QString&) { m_opener(m_prompt.notes); });
    connect(m_download, &QPushButton::clicked, this, [this] {
        m_opener(m_prompt.download);
        close();
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_title);
    texts->addWidget(m_detail);
    texts->addWidget(m_notes);
    texts->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(m_icon);
    top->addLayout(texts);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_close);
    buttons->addWidget(m_download);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void UpdateWindow::setPrompt(const UpdatePrompt& prompt) {
    m_prompt = prompt;
    m_title->setText(prompt.title);
    m_detail->setText(prompt.detail);
    m_notes->setVisible(!prompt.notes.isEmpty());
    m_notes->setText(
        QStringLiteral("<a href=\"notes\">%1</a>").arg(UpdatePrompt::notesText().toHtmlEscaped()));
    m_download->setVisible(!prompt.download.isEmpty());
    m_close->setText(prompt.closeText);
    m_download->setDefault(!prompt.download.isEmpty());
    m_close->setDefault(prompt.download.isEmpty());
}

void UpdateWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

} // namespace tisko
