// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Interface/UpdatePrompt.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace tisko {

// The small window that answers an update check: what was found, the release notes link,
// "Descargar" (which opens the release in the browser and closes the window) and a button
// that closes it. Showing another prompt replaces what it shows.
class UpdateWindow : public QWidget {
    Q_OBJECT
public:
    // Opens addresses in the browser; tests give their own.
    using Opener = std::function<void(const QUrl&)>;

    // Without an opener, addresses go to the desktop's browser.
    explicit UpdateWindow(Opener opener = {}, QWidget* parent = nullptr);

    // Shows `prompt`.
    void setPrompt(const UpdatePrompt& prompt);
    // The prompt shown.
    const UpdatePrompt& prompt() const { return m_prompt; }
    // The download button (for tests).
    QPushButton* downloadButton() const { return m_download; }
    // The closing button (for tests).
    QPushButton* closeButton() const { return m_close; }

Q_SIGNALS:
    // The window was closed, by either button or by the window manager.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Opener m_opener;
    UpdatePrompt m_prompt;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_detail;
    QLabel* m_notes;
    QPushButton* m_download;
    QPushButton* m_close;
};

} // namespace tisko
