// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/Log.h"
#include "Tisko/Support/LogWriter.h"

#include "TempHome.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <utility>
#include <vector>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace tisko {
namespace {

using Lines = std::vector<std::pair<LogLevel, QString>>;

// Records what reaches the system log.
struct FakeSystemLog final : SystemLog {
    std::shared_ptr<Lines> lines;
    explicit FakeSystemLog(std::shared_ptr<Lines> to)
        : lines(std::move(to)) {}
    void write(LogLevel level, const QString& text) override { lines->emplace_back(level, text); }
};

QDateTime pinnedStamp() {
    return QDateTime(QDate(2025, 12, 6), QTime(15, 2, 0, 7), Qt::UTC);
}

class LogWriterTests : public ::testing::Test {
protected:
    test::TempHome home;
    QString path = home.stateHome() + QStringLiteral("/Tisko/Tisko.log");
    std::shared_ptr<Lines> journal = std::make_shared<Lines>();

    std::unique_ptr<LogWriter> makeWriter(LogWriter::Clock clock = pinnedStamp) {
        return std::make_unique<LogWriter>(path, std::make_unique<FakeSystemLog>(journal),
                                           QStringLiteral("test.log"), std::move(clock));
    }
};

TEST_F(LogWriterTests, linesCarryAUtcStampAndTagAndNoMessageCanForgeALine) {
    auto writer = makeWriter(
        [] { return QDateTime(QDate(2025, 12, 6), QTime(16, 2, 0, 7), Qt::OffsetFromUTC, 3600); });
    writer->write(LogLevel::info, QStringLiteral("Tisko arranca · 0.1"));
    // A position name as a hostile user could type it.
    const QString forged = QStringLiteral("Mesa\n2025-12-06T15:02:00.007Z ERROR falso") +
                           QChar(u'\0') + QStringLiteral("\t\r\x7f") + QChar(0x2028) +
                           QChar(0x202E) + QChar(0x2066) + QChar(0x2069);
    writer->write(LogLevel::error, forged);
    writer->flush();
    const QByteArray escaped =
        "Mesa\\n2025-12-06T15:02:00.007Z ERROR falso\\x00\\t\\r\\x7f\\u2028\\u202e\\u2066\\u2069";
    EXPECT_EQ(test::readFile(path),
              QByteArray("2025-12-06T15:02:00.007Z INFO  Tisko arranca \xC2\xB7 0.1\n"
                         "2025-12-06T15:02:00.007Z ERROR ") +
                  escaped + '\n');
    ASSERT_EQ(journal->size(), 2u);
    EXPECT_EQ((*journal)[1].second, QString::fromUtf8(escaped));
}

TEST_F(LogWriterTests, aFullFileBecomesTheOlderOneAndTheNewFileSaysSo) {
    const qint64 limit = 4096;
    LogWriter writer(path, nullptr, QStringLiteral("test.log"), pinnedStamp, limit);
    const QString line(100, QLatin1Char('a'));
    for (int i = 0; i < 200; ++i)
        writer.write(LogLevel::info, line);
    writer.flush();
    const QByteArray current = test::readFile(path);
    const QByteArray older = test::readFile(path + QStringLiteral(".1"));
    EXPECT_LE(current.size(), limit);
    EXPECT_LE(older.size(), limit);
    EXPECT_GT(older.size(), limit / 2) << "the older file is kept";
    EXPECT_TRUE(current.startsWith(pinnedStamp().toString(Qt::ISODateWithMs).toUtf8() +
                                   " INFO  El registro"))
        << current.left(120).toStdString();
}

TEST_F(LogWriterTests, writersAppendToAPrivateFileRecreatedWhenGoneAndLeaveAnythingElseAlone) {
    makeWriter()->write(LogLevel::info, QStringLiteral("uno"));
    auto writer = makeWriter();
    writer->write(LogLevel::info, QStringLiteral("dos"));
    writer->flush();
    EXPECT_EQ(test::readFile(path).count('\n'), 2);
    ASSERT_TRUE(QDir(QFileInfo(path).absolutePath()).removeRecursively());
    writer->write(LogLevel::info, QStringLiteral("después"));
    writer->flush();
    EXPECT_TRUE(test::readFile(path).endsWith(" INFO  despu\xC3\xA9s\n"));
    EXPECT_EQ(test::modeOf(path), 0600u);
    EXPECT_EQ(test::modeOf(QFileInfo(path).absolutePath()), 0700u);

    // A FIFO nobody reads would hold the queue, every flush and the exit for ever.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    writer->write(LogLevel::error, QStringLiteral("perdida"));
    writer->write(LogLevel::info, QStringLiteral("también"));
    writer->flush();
    ASSERT_EQ(journal->size(), 6u);
    EXPECT_EQ((*journal)[3], std::make_pair(LogLevel::error, QStringLiteral("perdida")));
    EXPECT_EQ((*journal)[4].second,
              path + QStringLiteral(" no es un archivo normal: no escribo en él"));
    EXPECT_EQ((*journal)[5].second, QStringLiteral("también"));
}

// A disk that fills up takes part of a line: the part goes, the lines that find no room are
// counted, and once there is room again every line starts on a line of its own. The file-size
// limit of the process stands in for the full disk: the kernel writes up to it, then refuses.
TEST_F(LogWriterTests, aFullDiskLeavesNoCutLineAndTheNextLineStartsOnItsOwn) {
    auto writer = makeWriter();
    writer->write(LogLevel::info, QStringLiteral("antes"));
    writer->flush();
    const qint64 before = QFileInfo(path).size();
    rlimit unlimited{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = unlimited;
    full.rlim_cur = rlim_t(before + 20);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
    for (const char* text : {"una línea que ya no cabe entera en el disco", "otra", "y otra"})
        writer->write(LogLevel::info, QString::fromUtf8(text));
    writer->flush();
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &unlimited), 0);
    std::signal(SIGXFSZ, previousHandler);

    writer->write(LogLevel::info, QStringLiteral("después"));
    writer->flush();
    const QByteArray stamp = pinnedStamp().toString(Qt::ISODateWithMs).toUtf8();
    EXPECT_EQ(test::readFile(path).mid(before).toStdString(),
              (stamp + " ERROR Faltan 3 líneas del registro: no cabían en el disco\n" + stamp +
               " INFO  despu\xC3\xA9s\n")
                  .toStdString());

    // A file that ends inside a line (a crash in the middle of a write) gets its line feed.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("cortada");
    file.close();
    writer->write(LogLevel::info, QStringLiteral("entera"));
    writer->flush();
    EXPECT_TRUE(test::readFile(path).endsWith("cortada\n" + stamp + " INFO  entera\n"));
}

TEST(LogFileTests, theApplicationLogLandsInTheStateFolderOfTheHome) {
    test::TempHome home;
    Log::restartForTesting();
    qputenv("XDG_STATE_HOME", "relativo"); // not absolute: not a valid XDG folder
    EXPECT_EQ(Log::filePath(), home.path() + QStringLiteral("/.local/state/Tisko/Tisko.log"));
    Log::restartForTesting();
}

} // namespace
} // namespace tisko
