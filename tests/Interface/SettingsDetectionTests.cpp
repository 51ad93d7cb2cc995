// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The warnings page: its pickers keep stored values and take effect at once.
#include "SettingsFixture.h"

#include "Tisko/Support/SettingsStore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

// The picker beside the form label `label`.
QComboBox* picker(QWidget* window, const QString& label) {
    for (QFormLayout* form : window->findChildren<QFormLayout*>()) {
        for (QComboBox* box : window->findChildren<QComboBox*>()) {
            auto* name = qobject_cast<QLabel*>(form->labelForField(box));
            if (name && name->text() == label)
                return box;
        }
    }
    return nullptr;
}

TEST(SettingsDetection, cooldownChangeTakesEffectWithoutEndingTheRun) {
    SettingsFixture h;
    h.monitor().start();
    h.monitor().saveCalibration(position("Mesa"));
    auto check = [&] {
        h.monitor().look(Monitor::Trigger::manual);
        h.finishLook(faceResult(closeFace()));
        return h.newLogLines().filter(QStringLiteral("Aviso enviado"));
    };
    ASSERT_EQ(check().size(), 1);
    h.clock().advance(600);
    ASSERT_EQ(check().size(), 1) << "the second warning of the run";
    const double interval = h.clockInterval();

    h.open(SettingsTab::detection);
    QComboBox* cooldown = picker(h.window.get(), QStringLiteral("Como mucho un aviso cada"));
    ASSERT_TRUE(cooldown);
    EXPECT_EQ(cooldown->currentText(), QStringLiteral("10 minutos"));
    QTest::keyClick(cooldown, Qt::Key_End);
    EXPECT_EQ(cooldown->currentText(), QStringLiteral("30 minutos"));
    EXPECT_EQ(SettingsStore::cooldownMinutes(), 30);
    EXPECT_EQ(h.clockInterval(), interval);
    h.clock().advance(3599);
    EXPECT_TRUE(check().isEmpty()) << "the third warning waits twice the new cool-down";
}

TEST(SettingsDetection, aStoredValueOffTheListIsShownAsItselfAndKept) {
    SettingsFixture h;
    SettingsStore::setInterval(45);
    h.monitor().start();
    h.open(SettingsTab::detection);
    QComboBox* interval = picker(h.window.get(), QStringLiteral("Mirar cada"));
    ASSERT_TRUE(interval);
    EXPECT_EQ(interval->count(), 6) << "its own entry, first, as the shortest";
    EXPECT_EQ(interval->currentIndex(), 0);
    EXPECT_EQ(interval->currentText(), QStringLiteral("45 segundos"));
    EXPECT_EQ(interval->itemText(1), QStringLiteral("1 minuto"));
    QTest::keyClick(picker(h.window.get(), QStringLiteral("Sensibilidad")), Qt::Key_Down);
    EXPECT_EQ(SettingsStore::sensitivity(), 4);
    EXPECT_EQ(SettingsStore::interval(), 45);
    EXPECT_EQ(h.clockInterval(), 45);

    // A hand edit of the file shows when the page is shown again.
    QSettings(SettingsStore::filePath(), QSettings::IniFormat)
        .setValue(SettingsStore::intervalKey, 600);
    h.tabs.setTab(SettingsTab::general);
    h.tabs.setTab(SettingsTab::detection);
    EXPECT_EQ(interval->currentText(), QStringLiteral("10 minutos"));
    EXPECT_EQ(interval->count(), 5);
}

} // namespace
} // namespace tisko::test
