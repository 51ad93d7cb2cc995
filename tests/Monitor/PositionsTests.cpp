// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Saving, choosing, renaming and removing positions, and the choice by connected displays.
#include "MonitorHarness.h"

#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

CalibrationBook savedBook(const MonitorHarness& h) {
    return JsonCodec<CalibrationBook>::decode(h.dataFile(Storage::positionsFileName).toStdString())
        .value_or(CalibrationBook{});
}

// Enough slouched looks to make the active position suspect.
void makeSuspect(MonitorHarness& h) {
    for (int i = 0; i < ReferenceCheck::defaultWindow; ++i)
        h.check(faceResult(slouchedFace()));
}

TEST(MonitorStart, loadsThePositionsChoosesByDisplaysAndKeepsDamagedFilesAside) {
    MonitorHarness h;
    CalibrationBook book;
    book.save(position("Oficina", std::nullopt, "displays:B"));
    book.save(position("Casa", std::nullopt, "displays:A"));
    ASSERT_TRUE(Storage::save(book, Storage::positionsFileName));
    h.displayKey = QStringLiteral("displays:B");
    h.monitor().start();
    EXPECT_EQ(h.monitor().book().calibrations, book.calibrations);
    EXPECT_EQ(h.monitor().book().active()->name, "Oficina");
    EXPECT_EQ(h.monitor().state().kind(), Monitor::State::Kind::watching);
    EXPECT_TRUE(h.newLogLines().contains(QStringLiteral("Vigilando: Oficina · cada 180 s")));

    MonitorHarness damaged;
    ASSERT_TRUE(Storage::write(Storage::positionsFileName, "{\"calibrations\": [1, 2"));
    ASSERT_TRUE(Storage::write(Storage::tallyFileName, "not json"));
    damaged.monitor().start();
    EXPECT_TRUE(damaged.monitor().book().calibrations.empty());
    EXPECT_TRUE(damaged.monitor().tally().days.empty());
    EXPECT_EQ(damaged.monitor().state().kind(), Monitor::State::Kind::needsCalibration);
    EXPECT_EQ(QDir(Storage::folder()).entryList({QStringLiteral("*.damaged-*")}).size(), 2);
}

TEST(Positions, savingWritesTheFileAndASameNamedPositionReplacesKeepingItsId) {
    MonitorHarness h;
    Monitor& m = h.monitor();
    h.startWatching(position("Oficina", 0.1));
    EXPECT_EQ(savedBook(h), m.book());
    EXPECT_EQ(m.state().kind(), Monitor::State::Kind::watching);
    const Uuid id = m.book().calibrations.front().id;
    h.check(faceResult(closeFace()));
    ASSERT_EQ(h.policy().streak, 1);

    Calibration again = position("OFICINÁ", std::nullopt);
    again.reference.eyeDistance.reset();
    m.saveCalibration(again);
    ASSERT_EQ(m.book().calibrations.size(), 1u);
    EXPECT_EQ(m.book().calibrations.front().id, id);
    EXPECT_EQ(m.book().calibrations.front().name, "OFICINÁ");
    EXPECT_EQ(h.policy().streak, 0) << "a new position starts with no warning history";
    EXPECT_FALSE(m.lastVerdict().has_value()) << "nor with the verdict judged by the old one";
    EXPECT_FALSE(h.policy().lastAlert.has_value());
    EXPECT_FALSE(h.goodPitch().has_value());
    EXPECT_EQ(h.newLogLines().last(),
              QStringLiteral("Posición guardada: OFICINÁ · cara 0.300 · ojos 0.000"));
}

TEST(Positions, selectRenameAndRemoveKeepTheFileTheHintAndTheGoodPitchRight) {
    MonitorHarness h;
    Monitor& m = h.monitor();
    h.startWatching(position("Mesa", 0.1));
    m.saveCalibration(position("Sofá", 0.3));
    makeSuspect(h);
    const Uuid mesa = m.book().calibrations[0].id;
    ASSERT_TRUE(m.referenceSuspect().has_value());
    const int streak = int(h.policy().streak);

    m.select(mesa);
    EXPECT_EQ(m.book().active()->name, "Mesa");
    EXPECT_EQ(h.goodPitch(), 0.1);
    EXPECT_FALSE(m.referenceSuspect().has_value());
    EXPECT_EQ(h.policy().streak, streak) << "choosing does not touch the warnings";
    EXPECT_EQ(savedBook(h).activeID, mesa);
    EXPECT_EQ(h.newLogLines(), QStringList{QStringLiteral("Posición en uso: Mesa")});
    // An id nobody has is stored; the first position stands in for it.
    m.select(Uuid::random());
    EXPECT_EQ(h.newLogLines(), QStringList{QStringLiteral("Posición en uso: Mesa")});

    // Names are trimmed, and another position may bear the same; a blank name or an unknown
    // id writes nothing.
    m.rename(mesa, QStringLiteral("  \tSofá \n"));
    EXPECT_EQ(m.book().calibrations[0].name, "Sofá");
    EXPECT_EQ(savedBook(h), m.book());
    QFile::remove(Storage::filePath(Storage::positionsFileName));
    m.rename(mesa, QStringLiteral(" \n\t "));
    m.rename(Uuid::random(), QStringLiteral("Nueva"));
    EXPECT_EQ(m.book().calibrations[0].name, "Sofá");
    EXPECT_FALSE(QFile::exists(Storage::filePath(Storage::positionsFileName)));

    // Removing the active one makes the first active and drops the hint about the removed.
    m.select(m.book().calibrations[1].id);
    makeSuspect(h);
    m.remove(m.book().active()->id);
    EXPECT_EQ(m.book().active()->id, mesa);
    EXPECT_FALSE(m.referenceSuspect().has_value());
    EXPECT_EQ(h.goodPitch(), 0.3) << "kept from the removed one";
    EXPECT_TRUE(h.newLogLines().isEmpty());
    EXPECT_EQ(savedBook(h), m.book());
    m.remove(mesa);
    EXPECT_EQ(m.state().kind(), Monitor::State::Kind::needsCalibration);
    EXPECT_TRUE(savedBook(h).calibrations.empty());
    m.dismissReferenceSuspect();
    EXPECT_TRUE(h.newLogLines().isEmpty()) << "no position, no hint to dismiss";
}

TEST(Positions, displaysChooseTheNewestPositionRecordedWithThem) {
    MonitorHarness h;
    Monitor& m = h.monitor();
    m.start();
    const Date t0 = MonitorHarness::defaultStart();
    m.saveCalibration(position("Casa vieja", 0.1, "displays:A", t0));
    m.saveCalibration(position("Casa", 0.2, "displays:A", addSeconds(t0, 60)));
    m.saveCalibration(position("Portátil", std::nullopt, "displays:", t0));
    m.saveCalibration(position("Oficina", 0.4, "displays:B", t0));
    makeSuspect(h);

    h.displayKey = QStringLiteral("displays:A");
    Q_EMIT h.events().displaysChanged();
    EXPECT_EQ(m.book().active()->name, "Casa");
    EXPECT_EQ(h.goodPitch(), 0.2);
    EXPECT_FALSE(m.referenceSuspect().has_value());
    EXPECT_EQ(savedBook(h).activeID, m.book().active()->id);
    EXPECT_EQ(h.newLogLines(), QStringList{QStringLiteral("Pantallas cambiadas: paso a «Casa»")});

    // Same displays again with an older position of theirs chosen by hand, unknown displays,
    // or the choice switched off: nothing happens.
    m.select(m.book().calibrations[0].id);
    h.newLogLines();
    Q_EMIT h.events().displaysChanged();
    h.displayKey = QStringLiteral("displays:C");
    Q_EMIT h.events().displaysChanged();
    SettingsStore::setAutoSelectByDisplays(false);
    h.displayKey = QStringLiteral("displays:B");
    Q_EMIT h.events().displaysChanged();
    EXPECT_EQ(m.book().active()->name, "Casa vieja");
    EXPECT_TRUE(h.newLogLines().isEmpty());
}

} // namespace
} // namespace tisko::test
