// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "MonitorHarness.h"

#include "Tisko/Interface/SettingsWindow.h"
#include "Tisko/System/PlatformServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace tisko::test {

// The desktop as the settings window sees it, in memory. A refused login switch stays off.
struct FakePlatform final : CameraList, DisplayConnectors, LoginSwitch, UpdateChecks {
    std::vector<CameraDevice> cameras() const override { return connected; }
    QStringList withoutEdid() const override { return noEdid; }
    bool isEnabled() const override { return login; }
    void setEnabled(bool on) override { login = on && !refusesLogin; }
    bool available() const override { return feed; }
    void checkNow() override { ++checks; }
    PlatformServices services() { return {*this, *this, *this, *this}; }

    std::vector<CameraDevice> connected;
    QStringList noEdid;
    bool login = false;
    bool refusesLogin = false;
    bool feed = false;
    int checks = 0;
};

// A settings window over a Monitor of fakes in a private home.
struct SettingsFixture : MonitorHarness {
    // Opens the window on `tab`, as the shell does.
    SettingsWindow& open(SettingsTab tab) {
        tabs.setTab(tab);
        window = std::make_unique<SettingsWindow>(monitor(), platform.services(), tabs);
        QObject::connect(window.get(), &SettingsWindow::newPositionRequested,
                         [this] { ++newPositionCalls; });
        window->show();
        return *window;
    }

    // The visible widgets of type T under `root` whose text is `text`.
    // Rebuilt rows are shown on the next turn of the event loop, so one turn runs first.
    template <class T = QAbstractButton>
    std::vector<T*> shown(QWidget* root, const QString& text = {}) const {
        QCoreApplication::processEvents();
        std::vector<T*> found;
        for (T* widget : root->findChildren<T*>()) {
            if (widget->isVisibleTo(window.get()) && (text.isEmpty() || widget->text() == text))
                found.push_back(widget);
        }
        return found;
    }
    // The visible button labelled `text`; fails the test when there is not exactly one.
    QAbstractButton* button(const QString& text, QWidget* root = nullptr) const {
        const std::vector<QAbstractButton*> found = shown(root ? root : window.get(), text);
        return found.size() == 1 ? found.front() : nullptr;
    }
    // The rows of the positions page, top to bottom.
    std::vector<QWidget*> rows() const {
        QCoreApplication::processEvents();
        std::vector<QWidget*> found;
        for (QWidget* row : window->findChildren<QWidget*>(QStringLiteral("positionRow")))
            if (row->isVisibleTo(window.get()))
                found.push_back(row);
        std::sort(found.begin(), found.end(),
                  [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
        return found;
    }

    FakePlatform platform;
    SettingsTabs tabs;
    std::unique_ptr<SettingsWindow> window;
    int newPositionCalls = 0;
};

// Calls `answer` with the next modal dialog of type T once it is open (for dialogs that run
// their own event loop inside the call that opens them). Stops waiting when `owner` goes.
template <class T> void whenModal(QObject* owner, std::function<void(T*)> answer) {
    auto* poll = new QTimer(owner);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer = std::move(answer)] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            answer(dialog);
        }
    });
    poll->start();
}

} // namespace tisko::test
