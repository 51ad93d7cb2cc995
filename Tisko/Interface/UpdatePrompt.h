// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/System/UpdateOutcome.h"

#include <QCoreApplication>
#include <QString>
#include <QUrl>

namespace tisko {

// What the update window says for an update check's outcome: its texts, the release-notes
// link and where "Descargar" leads.
struct UpdatePrompt {
    Q_DECLARE_TR_FUNCTIONS(UpdatePrompt)

public:
    // The headline in bold.
    QString title;
    // The sentence under it.
    QString detail;
    // The release notes; empty hides the link.
    QUrl notes;
    // Where "Descargar" leads; empty hides the button.
    QUrl download;
    // The button that closes the window.
    QString closeText;

    // The prompt for `outcome`, `current` being the running version.
    static UpdatePrompt forOutcome(const UpdateOutcome& outcome, const QString& current);
    // The window's title.
    static QString windowTitle();
    // The text of the download button.
    static QString downloadText();
    // The text of the release-notes link.
    static QString notesText();
};

} // namespace tisko
