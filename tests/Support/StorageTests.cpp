#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <atomic>
#include <thread>

namespace tisko {
namespace {

DailyTally tallyOfDays(int count, std::int64_t checks) {
    DailyTally tally;
    for (int i = 0; i < count; ++i) {
        DailyTally::Day day(QStringLiteral("%1-%2-%3")
                                .arg(2000 + i / 336)
                                .arg(i / 28 % 12 + 1, 2, 10, QLatin1Char('0'))
                                .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                .toStdString());
        day.checks = checks;
        day.badChecks = i % 7;
        day.tooClose = i % 3;
        tally.days.push_back(day);
    }
    return tally;
}

CalibrationBook bookWithOne() {
    Calibration calibration;
    calibration.id = *Uuid::parse("0F8E2A4C-1B3D-4E5F-8A9B-0C1D2E3F4A5B");
    calibration.name = "Escritorio";
    calibration.cameraID = "file:/tmp/cam";
    calibration.createdAt = Date(std::chrono::seconds(1765033320));
    CalibrationBook book;
    book.calibrations.push_back(calibration);
    book.activeID = calibration.id;
    return book;
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
    QStringList folderEntries() const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
};

TEST_F(StorageTest, theFolderIsCreatedPrivateOnFirstUseAndThenStaysPut) {
    ASSERT_TRUE(QDir(home.dataHome()).removeRecursively()); // parents are created too
    EXPECT_EQ(Storage::folder(), folder);
    EXPECT_EQ(test::modeOf(folder), 0700u);
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/elsewhere")).toLocal8Bit());
    EXPECT_EQ(Storage::folder(), folder);
    EXPECT_EQ(Storage::filePath(QString(Storage::tallyFileName)),
              folder + QStringLiteral("/recuento.json"));
}

TEST_F(StorageTest, savedValuesReadBackFromPrivateFilesAndLeaveNoTemporaryFiles) {
    const DailyTally tally = tallyOfDays(40, 12);
    const CalibrationBook book = bookWithOne();
    ASSERT_TRUE(Storage::save(tally, QString(Storage::tallyFileName)));
    ASSERT_TRUE(Storage::save(book, QString(Storage::positionsFileName)));
    EXPECT_EQ(Storage::load<DailyTally>(QString(Storage::tallyFileName)), tally);
    EXPECT_EQ(Storage::load<CalibrationBook>(QString(Storage::positionsFileName)), book);
    EXPECT_EQ(test::readFile(folder + QStringLiteral("/recuento.json")).toStdString(),
              JsonCodec<DailyTally>::encode(tally));
    EXPECT_EQ(test::modeOf(folder + QStringLiteral("/recuento.json")), 0600u);
    EXPECT_EQ(folderEntries(),
              (QStringList{QStringLiteral("posiciones.json"), QStringLiteral("recuento.json")}));
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(StorageTest, missingEmptyOrDirectoryFilesReadAsNothingAndAreLeftAlone) {
    EXPECT_FALSE(Storage::load<DailyTally>(QString(Storage::tallyFileName)));
    ASSERT_TRUE(test::writeFile(folder + QStringLiteral("/recuento.json"), {}));
    EXPECT_FALSE(Storage::load<DailyTally>(QString(Storage::tallyFileName)));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/posiciones.json")));
    EXPECT_FALSE(Storage::load<CalibrationBook>(QString(Storage::positionsFileName)));
    EXPECT_EQ(folderEntries(),
              (QStringList{QStringLiteral("posiciones.json"), QStringLiteral("recuento.json")}));
    EXPECT_TRUE(test::loggedLines().isEmpty());
}

TEST_F(StorageTest, aDamagedFileIsMovedAsideWithOneLineAndTheNextSaveLosesNothing) {
    const QString path = folder + QStringLiteral("/posiciones.json");
    ASSERT_TRUE(test::writeFile(Storage::filePath(QString(Storage::positionsFileName)),
                                "{\"calibrations\": ["));
    EXPECT_FALSE(Storage::load<CalibrationBook>(QString(Storage::positionsFileName)));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(
        test::writeFile(path, "[1, 2, 3]\n")); // valid JSON of the wrong shape, damaged again
    EXPECT_FALSE(Storage::load<CalibrationBook>(QString(Storage::positionsFileName)));

    const QStringList aside = QDir(folder).entryList({QStringLiteral("posiciones.json.damaged-*")},
                                                     QDir::Files, QDir::Name);
    ASSERT_EQ(aside.size(), 2);
    const QRegularExpression asideName(
        QStringLiteral(R"(^posiciones\.json\.damaged-\d{8}T\d{6}Z(-2)?$)"));
    QByteArrayList contents;
    for (const QString& name : aside) {
        EXPECT_TRUE(asideName.match(name).hasMatch()) << qPrintable(name);
        contents << test::readFile(folder + QLatin1Char('/') + name);
    }
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (QByteArrayList{"[1, 2, 3]\n", "{\"calibrations\": ["}));

    const QStringList lines = test::loggedLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QStringLiteral(" ERROR El archivo posiciones.json ")));

    ASSERT_TRUE(Storage::save(bookWithOne(), QString(Storage::positionsFileName)));
    EXPECT_EQ(Storage::load<CalibrationBook>(QString(Storage::positionsFileName)), bookWithOne());
    EXPECT_EQ(folderEntries().size(), 3);
}

TEST_F(StorageTest, aSaveIntoAFolderThatCannotBeWrittenLogsOneLineAndChangesNothing) {
    // A plain file where the folder should be: nothing can be created inside it.
    ASSERT_TRUE(QDir(folder).removeRecursively() || !QFileInfo::exists(folder));
    ASSERT_TRUE(test::writeFile(folder, "not a folder"));
    const DailyTally tally = tallyOfDays(3, 1);
    EXPECT_FALSE(Storage::save(tally, QString(Storage::tallyFileName)));
    EXPECT_EQ(tally, tallyOfDays(3, 1));
    EXPECT_EQ(test::readFile(folder), QByteArray("not a folder"));

    const QStringList lines = test::loggedLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral(R"(^\S+Z ERROR No se ha podido guardar recuento\.json: \S.*$)"))
                    .match(lines[0])
                    .hasMatch())
        << qPrintable(lines[0]);
}

TEST_F(StorageTest, aSaveOntoADirectoryFailsAndKeepsTheDirectoryAndItsContent) {
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/recuento.json/dentro")));
    EXPECT_FALSE(Storage::save(tallyOfDays(3, 1), QString(Storage::tallyFileName)));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/recuento.json/dentro")).isDir());
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("recuento.json")});
    EXPECT_EQ(test::loggedLines().size(), 1);
}

TEST_F(StorageTest, fileNamesThatLeaveTheFolderAreRefused) {
    for (const char* name : {"../escape.json", "", "..", "a/b.json"}) {
        EXPECT_FALSE(Storage::save(tallyOfDays(1, 1), QString::fromLatin1(name))) << name;
        EXPECT_FALSE(Storage::load<DailyTally>(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(QFile::exists(home.dataHome() + QStringLiteral("/escape.json")));
    EXPECT_EQ(test::loggedLines().size(), 4);
}

TEST_F(StorageTest, aReaderNeverSeesAPartiallyWrittenFile) {
    const DailyTally small = tallyOfDays(1, 1);
    const DailyTally large = tallyOfDays(3650, 99);
    ASSERT_TRUE(Storage::save(small, QString(Storage::tallyFileName)));
    const QString path = Storage::filePath(QString(Storage::tallyFileName));
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> broken{0};
    std::thread reader([&] {
        while (!done) {
            const QByteArray bytes = test::readFile(path);
            const auto value = JsonCodec<DailyTally>::decode(bytes.toStdString());
            if (!value || (*value != small && *value != large))
                ++broken;
            ++reads;
        }
    });
    for (int i = 0; i < 60 || reads < 200; ++i)
        ASSERT_TRUE(Storage::save(i % 2 ? large : small, QString(Storage::tallyFileName)));
    done = true;
    reader.join();
    EXPECT_EQ(broken.load(), 0) << "of " << reads.load() << " reads";
}

} // namespace
} // namespace tisko
