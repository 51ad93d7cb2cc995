// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include "FileModes.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tisko {
namespace {

const QString tally = Storage::tallyFileName;
const QString positions = Storage::positionsFileName;

DailyTally tallyOfDays(int count, std::int64_t checks) {
    DailyTally value;
    for (int i = 0; i < count; ++i)
        value.days.emplace_back(std::to_string(2000 + i) + "-01-01").checks = checks;
    return value;
}

CalibrationBook bookWithOne() {
    Calibration calibration;
    calibration.id = *Uuid::parse("0F8E2A4C-1B3D-4E5F-8A9B-0C1D2E3F4A5B");
    calibration.name = "Escritorio";
    return CalibrationBook{{calibration}, calibration.id};
}

class StorageTest : public ::testing::Test {
protected:
    test::TempHome home;
    QString folder = home.dataHome() + QStringLiteral("/Tisko");

    void SetUp() override {
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
    }
    void TearDown() override { Storage::forgetFolderForTesting(); }
    QString path(const QString& name) const { return folder + QLatin1Char('/') + name; }
    QStringList folderEntries() const {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    // The errors logged so far number `count`, the last naming the file and saying why.
    void expectErrors(qsizetype count, const QString& start) const {
        const QStringList errors = test::loggedErrors();
        ASSERT_EQ(errors.size(), count) << qPrintable(errors.join(QLatin1Char('\n')));
        EXPECT_TRUE(errors.last().startsWith(start)) << qPrintable(errors.last());
        EXPECT_GT(errors.last().size(), start.size() + 2) << "a reason follows";
    }
};

TEST_F(StorageTest, savedValuesReadBackFromPrivateFilesInAPrivateFolderThatStaysPut) {
    ASSERT_TRUE(QDir(home.dataHome()).removeRecursively()); // parents are created too
    EXPECT_FALSE(Storage::peek<CalibrationBook>(positions));
    EXPECT_FALSE(QFileInfo::exists(folder)) << "a look creates not even the folder";
    ASSERT_TRUE(Storage::save(tallyOfDays(40, 12), tally));
    ASSERT_TRUE(Storage::save(bookWithOne(), positions));
    EXPECT_EQ(test::modeOf(folder), 0700u);
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/elsewhere")).toLocal8Bit());
    EXPECT_EQ(Storage::load<DailyTally>(tally), tallyOfDays(40, 12));
    EXPECT_EQ(Storage::peek<DailyTally>(tally), tallyOfDays(40, 12));
    EXPECT_EQ(Storage::load<CalibrationBook>(positions), bookWithOne());
    EXPECT_EQ(test::modeOf(path(tally)), 0600u);
    EXPECT_EQ(folderEntries(), (QStringList{positions, tally}));
    // Missing and empty files are nothing to report.
    ASSERT_TRUE(test::writeFile(path(tally), {}));
    EXPECT_FALSE(Storage::load<DailyTally>(tally));
    EXPECT_FALSE(Storage::load<DailyTally>(QStringLiteral("otro.json")));
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(StorageTest, aDamagedFileIsMovedAsideWithOneLineAndTheNextSaveLosesNothing) {
    ASSERT_TRUE(test::writeFile(path(positions), "{\"calibrations\": ["));
    EXPECT_FALSE(Storage::peek<CalibrationBook>(positions));
    EXPECT_EQ(folderEntries(), QStringList{positions}) << "a look moves nothing";
    EXPECT_FALSE(Storage::load<CalibrationBook>(positions));
    ASSERT_TRUE(test::writeFile(path(positions), "[1, 2, 3]\n")); // the wrong shape
    EXPECT_FALSE(Storage::load<CalibrationBook>(positions));
    ASSERT_TRUE(Storage::save(bookWithOne(), positions));

    const QStringList aside = QDir(folder).entryList({positions + QStringLiteral(".damaged-*")});
    ASSERT_EQ(aside.size(), 2);
    QByteArrayList contents{test::readFile(path(aside[0])), test::readFile(path(aside[1]))};
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (QByteArrayList{"[1, 2, 3]\n", "{\"calibrations\": ["}));
    EXPECT_EQ(test::loggedErrors().size(), 2);
    EXPECT_EQ(Storage::load<CalibrationBook>(positions), bookWithOne());
}

TEST_F(StorageTest, aFileThatCannotBeReadIsLeftAsItIsAndNeverReplacedBeforeItIsRead) {
    const test::FileModesApply modes;
    ASSERT_TRUE(Storage::save(tallyOfDays(3, 7), tally));
    ASSERT_TRUE(QFile::setPermissions(path(tally), {}));
    EXPECT_FALSE(Storage::load<DailyTally>(tally));
    EXPECT_FALSE(Storage::save(DailyTally{}, tally));
    expectErrors(2, QStringLiteral("No se ha podido guardar recuento.json: "));
    ASSERT_TRUE(QFile::setPermissions(path(tally), QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_EQ(Storage::load<DailyTally>(tally), tallyOfDays(3, 7));
    EXPECT_TRUE(Storage::save(DailyTally{}, tally));

    // A FIFO or a folder in its place is refused at once, and kept.
    ASSERT_TRUE(QFile::remove(path(tally)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(tally)).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkpath(path(positions) + QStringLiteral("/dentro")));
    // Never read, the folder is only found when the save's rename fails.
    EXPECT_FALSE(Storage::save(bookWithOne(), positions));
    EXPECT_FALSE(Storage::load<DailyTally>(tally)); // returns without waiting for a writer
    EXPECT_FALSE(Storage::save(tallyOfDays(1, 1), tally));
    EXPECT_FALSE(Storage::load<CalibrationBook>(positions));
    expectErrors(6, QStringLiteral("No se puede leer posiciones.json: "));
    EXPECT_FALSE(QFileInfo(path(tally)).isFile()) << "still the FIFO";
    EXPECT_TRUE(QFileInfo(path(positions) + QStringLiteral("/dentro")).isDir());
    EXPECT_EQ(folderEntries(), (QStringList{positions, tally}));
}

TEST_F(StorageTest, aSaveThatCannotBeWrittenLogsOneLineAndKeepsTheOldFile) {
    ASSERT_TRUE(Storage::save(tallyOfDays(2, 1), tally));
    const QByteArray old = test::readFile(path(tally));
    // A number JSON cannot hold would be written as null, and the file would not read.
    CalibrationBook book = bookWithOne();
    book.calibrations[0].headPitch = NAN;
    ASSERT_TRUE(Storage::save(bookWithOne(), positions));
    EXPECT_FALSE(Storage::save(book, positions));
    expectErrors(1, QStringLiteral("No se ha podido guardar posiciones.json: "));
    for (const char* name : {"../escape.json", "", "..", "a/b.json"}) {
        EXPECT_FALSE(Storage::save(tallyOfDays(1, 1), QString::fromLatin1(name))) << name;
        EXPECT_FALSE(Storage::load<DailyTally>(QString::fromLatin1(name))) << name;
    }
    expectErrors(5, QStringLiteral("No se ha podido guardar a/b.json: "));
    EXPECT_EQ(test::readFile(path(tally)), old);
    EXPECT_EQ(Storage::load<CalibrationBook>(positions), bookWithOne());
    EXPECT_EQ(folderEntries(), (QStringList{positions, tally}));
    EXPECT_FALSE(QFile::exists(home.dataHome() + QStringLiteral("/escape.json")));

    // A plain file where the folder should be: nothing can be created inside it.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(test::writeFile(folder, "not a folder"));
    EXPECT_FALSE(Storage::save(tallyOfDays(3, 1), tally));
    EXPECT_EQ(test::readFile(folder), QByteArray("not a folder"));
    expectErrors(6, QStringLiteral("No se ha podido guardar recuento.json: "));
}

TEST_F(StorageTest, aSymbolicLinkIsSavedThroughAndStaysALink) {
    const QString synced = home.path() + QStringLiteral("/sync");
    ASSERT_TRUE(QDir().mkpath(synced) && QDir().mkpath(folder));
    // A relative link to a link to the real file.
    ASSERT_TRUE(QFile::link(QStringLiteral("../../sync/enlace"), path(tally)));
    ASSERT_TRUE(
        QFile::link(synced + QStringLiteral("/recuento.json"), synced + QStringLiteral("/enlace")));
    ASSERT_TRUE(Storage::save(tallyOfDays(3, 5), tally));
    EXPECT_TRUE(QFileInfo(path(tally)).isSymLink());
    EXPECT_EQ(Storage::load<DailyTally>(tally), tallyOfDays(3, 5));
    EXPECT_EQ(QDir(synced).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("enlace"), tally}));
}

TEST_F(StorageTest, temporaryFilesOfInterruptedSavesAreRemovedOnceTheyAreStale) {
    const QString stale = QStringLiteral(".recuento.json.aB3xYz");
    const QString fresh = QStringLiteral(".recuento.json.Fresh1");
    const QString link = QStringLiteral(".recuento.json.Link12");
    ASSERT_TRUE(test::writeFile(path(stale), "{") && test::writeFile(path(fresh), "{"));
    ASSERT_TRUE(QFile::link(path(stale), path(link)));
    const struct timespec twoMinutesAgo { ::time(nullptr) - 120, 0 };
    const struct timespec times[2] = {twoMinutesAgo, twoMinutesAgo};
    for (const QString& name : {stale, link}) {
        const QByteArray file = QFile::encodeName(path(name));
        ASSERT_EQ(::utimensat(AT_FDCWD, file.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    EXPECT_FALSE(Storage::load<DailyTally>(tally));
    EXPECT_EQ(folderEntries(), (QStringList{fresh, link})) << "only the stale regular file goes";
}

TEST_F(StorageTest, aReaderNeverSeesAPartiallyWrittenFile) {
    const DailyTally small = tallyOfDays(1, 1), large = tallyOfDays(1000, 99);
    ASSERT_TRUE(Storage::save(small, tally));
    std::atomic<bool> done{false};
    std::atomic<int> reads{0}, broken{0};
    std::thread reader([&, file = path(tally)] {
        while (!done) {
            const auto value = JsonCodec<DailyTally>::decode(test::readFile(file).toStdString());
            broken += !value || (*value != small && *value != large);
            ++reads;
        }
    });
    for (int i = 0; i < 60 || reads < 200; ++i)
        EXPECT_TRUE(Storage::save(i % 2 ? large : small, tally));
    done = true;
    reader.join();
    EXPECT_EQ(broken.load(), 0) << "of " << reads.load() << " reads";
}

} // namespace
} // namespace tisko
