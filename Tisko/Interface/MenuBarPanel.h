// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Interface/PanelModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

class QPushButton;

namespace tisko {

class PanelButton;

// The panel that drops down from the tray icon: the watcher's state in words, today's
// warnings, the positions, pause controls, hints and the ways to the windows. A view over
// the Monitor: it holds no watcher state. 300 px wide and as high as its content, growing
// and shrinking downward with its top edge fixed.
class MenuBarPanel : public QWidget {
    Q_OBJECT
public:
    // The version of an update on offer, if any: a question the panel asks each time it
    // builds its content.
    using VersionQuery = std::function<std::optional<QString>()>;

    // A popup window when `popup`; otherwise a plain widget (for the pictures), or an
    // ordinary window when it has no parent.
    explicit MenuBarPanel(Monitor& monitor, VersionQuery availableVersion = {}, bool popup = true,
                          QWidget* parent = nullptr);

    // Shows the panel under the icon's rectangle, or at the pointer when it is empty,
    // inside the screen's free area.
    void popUp(const QRect& iconGeometry);
    // The sections shown now.
    const PanelContent& content() const { return m_content; }
    // Reads the Monitor again and lays the sections out anew: now when shown, otherwise when
    // next shown.
    void rebuild();
    // Makes the window as high as its content, keeping its top edge; a difference of half
    // a pixel or less changes nothing.
    void fit();
    // The height of the content as laid out at the panel's width.
    int contentHeight() const;
    // Runs what choosing `choice` does, closing a popup panel first when it leaves the panel.
    void choose(const PanelChoice& choice);
    // Puts the keyboard on the first button.
    void focusFirst();

Q_SIGNALS:
    // The choices that leave the panel for a window or the end; a popup panel has closed
    // before they are sent.
    void settingsRequested();
    void newPositionRequested();
    // "Volver a guardar «name»…": the recording window for that position.
    void resaveRequested(const QString& name);
    void updateCheckRequested();
    void notificationSettingsRequested();
    void quitRequested();
    // The panel was closed (by a choice, Escape or a click elsewhere).
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void scheduleRebuild();
    // Reads the Monitor and lays the sections out, now.
    void build();
    bool isPopup() const;
    QWidget* buildContent();
    // The pieces of the content: a button or a row that chooses, and the sections.
    QPushButton* button(QWidget* parent, const PanelChoice& choice);
    PanelButton* row(QWidget* parent, const PanelChoice& choice);
    QWidget* rows(QWidget* body, const std::vector<PanelChoice>& choices, int top, int bottom);
    QWidget* notificationsSection(QWidget* body);
    QWidget* statusSection(QWidget* body);
    QWidget* hintSection(QWidget* body);
    QWidget* positionsSection(QWidget* body);

    Monitor& m_monitor;
    VersionQuery m_availableVersion;
    PanelContent m_content;
    QPointer<QWidget> m_body;
    bool m_rebuildPending = false;
    // A change came while hidden: the content is built again when shown.
    bool m_stale = false;
};

} // namespace tisko
