// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tisko program itself, through a sample camera of a real photograph: --look, --hold,
// --check, and a second launch while one runs.
#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

namespace tisko::test {
namespace {

using namespace std::chrono_literals;

const QString photo = QStringLiteral(TISKO_TEST_PHOTOS "/grace_hopper.jpg");

std::optional<HeadMeasurement> measurementIn(const QStringList& lines) {
    static const QRegularExpression pattern(QStringLiteral(
        "^faceWidth=([0-9.]+) eyes=([-0-9.]+) faceY=([0-9.]+) faceHeight=([0-9.]+)$"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = pattern.match(line);
        if (m.hasMatch())
            return HeadMeasurement{m.captured(1).toDouble(), m.captured(2).toDouble(),
                                   m.captured(3).toDouble(), m.captured(4).toDouble()};
    }
    return std::nullopt;
}

struct TiskoRun : ::testing::Test {
    void SetUp() override {
        if (!QFile::exists(photo))
            GTEST_SKIP() << "the test photographs are not fetched";
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
    }
    void TearDown() override {
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
    }

    void start(QProcess& process, const QStringList& arguments, const QString& cameras = photo) {
        QProcessEnvironment withCameras = env;
        withCameras.insert(QStringLiteral("TISKO_CAMERAS"), cameras);
        process.setProcessEnvironment(withCameras);
        process.start(QStringLiteral(TISKO_BINARY), arguments);
    }
    // Runs tisko to its end; its exit status, or -1 when it hung or crashed. Keeps its stderr.
    int run(const QStringList& arguments, const QString& cameras = photo) {
        QProcess process;
        start(process, arguments, cameras);
        const bool ended = process.waitForFinished(60000);
        endProcess(process);
        errors = QString::fromUtf8(process.readAllStandardError());
        printed = QString::fromUtf8(process.readAllStandardOutput());
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QStringList fileLines(const QString& path) const {
        const QByteArray bytes = readFile(path);
        EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith('\n')) << path.toStdString();
        return QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    static bool waitForLog(const QString& text) {
        return waitUntil([&] { return !loggedLines().filter(text).isEmpty(); }, 15s);
    }
    // The visible windows of the headless desktop with this title (xdotool), of one process
    // when `pid` is given.
    static QStringList windowsNamed(const QString& title, qint64 pid = 0) {
        QStringList arguments{QStringLiteral("search"), QStringLiteral("--onlyvisible")};
        // Without --all, xdotool matches windows that meet any one of the criteria.
        if (pid > 0)
            arguments << QStringLiteral("--all") << QStringLiteral("--pid") << QString::number(pid);
        arguments << QStringLiteral("--name") << QLatin1Char('^') + title + QLatin1Char('$');
        QProcess search;
        search.start(QStringLiteral("xdotool"), arguments);
        search.waitForFinished(10000);
        return QString::fromUtf8(search.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    static bool waitForWindows(const QString& title, int count,
                               std::chrono::milliseconds limit = 15s, qint64 pid = 0) {
        return waitUntil([&] { return windowsNamed(title, pid).size() == count; }, limit);
    }
    // Runs `--look` into `output`; a look that analysed no frame before its timeout (a slow,
    // loaded build) is taken again, twice at most.
    int look(const QString& output) {
        int status = -1;
        for (int attempt = 0; attempt < 3; ++attempt) {
            status = run({QStringLiteral("--look"), output});
            if (status != 0 || !fileLines(output).contains(QStringLiteral("frames=0/0")))
                break;
        }
        return status;
    }
    // Saves a position "Mesa" from what a look measured (taken now when not given), its face
    // `scale` times smaller.
    void recordPosition(double scale, std::optional<HeadMeasurement> measured = std::nullopt) {
        if (!measured) {
            const QString output = home.path() + QStringLiteral("/look.txt");
            ASSERT_EQ(look(output), 0);
            measured = measurementIn(fileLines(output));
            ASSERT_TRUE(measured.has_value());
        }
        Calibration c;
        c.id = Uuid::random();
        c.name = "Mesa";
        c.reference =
            HeadMeasurement{measured->faceWidth / scale, measured->eyeDistance.value() / scale,
                            measured->faceY, measured->faceHeight};
        c.cameraID = (QStringLiteral("file:") + photo).toStdString();
        c.createdAt = std::chrono::system_clock::now();
        CalibrationBook book;
        book.save(c);
        ASSERT_TRUE(Storage::save(book, Storage::positionsFileName));
    }

    TempHome home;
    // Every run shares one cache folder per build tree, so the landmark model is converted
    // once rather than inside each run's first look.
    QProcessEnvironment env = [] {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CACHE_HOME"), QStringLiteral(TISKO_TEST_CACHE));
        return e;
    }();
    QString errors;
    QString printed;
};

TEST_F(TiskoRun, lookWritesItsLinesAndJudgesAndACheckCountsWarnsAndSaves) {
    const QString output = home.path() + QStringLiteral("/look.txt");
    ASSERT_EQ(look(output), 0);
    QStringList lines = fileLines(output);
    ASSERT_EQ(lines.size(), 6) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines.mid(0, 4),
              (QStringList{QStringLiteral("failed=false"), QStringLiteral("camera=file:") + photo,
                           QStringLiteral("shared=false"), QStringLiteral("format=512x600")}));
    // Six frames, or fewer when a slow build reaches the look's timeout first; every one has
    // the face.
    static const QRegularExpression frames(QStringLiteral("^frames=([1-6])/\\1$"));
    EXPECT_TRUE(frames.match(lines[4]).hasMatch()) << lines[4].toStdString();
    const std::optional<HeadMeasurement> measured = measurementIn(lines);
    ASSERT_TRUE(measured.has_value()) << lines[5].toStdString();
    EXPECT_GT(measured->faceWidth, 0.2);
    EXPECT_GT(*measured->eyeDistance, 0.05);

    recordPosition(1.25, measured);
    ASSERT_EQ(look(output), 0);
    lines = fileLines(output);
    ASSERT_EQ(lines.size(), 7);
    // Two looks may reach their timeout with different frames (slow builds): their medians
    // agree to about a hundredth.
    static const QRegularExpression verdict(QStringLiteral(
        "^vs Mesa: closeness=1\\.2[4-6]\\d drop=-?0\\.00\\d verdict=Demasiado cerca$"));
    EXPECT_TRUE(verdict.match(lines[6]).hasMatch()) << lines[6].toStdString();
    EXPECT_FALSE(QFile::exists(Log::filePath())) << "a diagnostic look logs nothing";
    EXPECT_FALSE(QFile::exists(Storage::filePath(Storage::tallyFileName)));

    // A check looks, counts, warns and saves the counters.
    ASSERT_EQ(run({QStringLiteral("--check")}), 0);
    const QStringList logged = loggedLines();
    const QStringList looks =
        logged.filter(QStringLiteral("Mirada (a mano) · Mesa · Demasiado cerca · cerca 1.2"));
    ASSERT_EQ(looks.size(), 1) << logged.join(QLatin1Char('\n')).toStdString();
    // The recording look and this one may reach their timeout with different frames (slow
    // builds): their medians agree to about a hundredth.
    static const QRegularExpression tail(
        QStringLiteral(" · baja -?0\\.00\\d · ([1-6])/\\1 con cara · 512x600$"));
    EXPECT_TRUE(tail.match(looks[0]).hasMatch()) << looks[0].toStdString();
    EXPECT_EQ(logged.filter(QStringLiteral("Aviso enviado")).size(), 1);

    const std::optional<DailyTally> tally = JsonCodec<DailyTally>::decode(
        readFile(Storage::filePath(Storage::tallyFileName)).toStdString());
    ASSERT_TRUE(tally.has_value() && tally->days.size() == 1);
    DailyTally::Day expected(tally->days[0].date);
    expected.checks = expected.badChecks = expected.tooClose = 1;
    EXPECT_EQ(tally->days[0], expected);

    if (qEnvironmentVariableIsEmpty("TISKO_HEADLESS_HARNESS"))
        return; // dunst runs only in the headless desktop
    // Closed notifications go to dunst's history, where their text can be read.
    QProcess closeAll;
    closeAll.start(QStringLiteral("dunstctl"), {QStringLiteral("close-all")});
    ASSERT_TRUE(closeAll.waitForFinished(10000));
    QProcess history;
    history.start(QStringLiteral("dunstctl"), {QStringLiteral("history")});
    ASSERT_TRUE(history.waitForFinished(10000));
    EXPECT_TRUE(QString::fromUtf8(history.readAllStandardOutput())
                    .contains(QStringLiteral("Estás muy cerca de la pantalla")));
}

TEST_F(TiskoRun, holdWritesATickPerSecondOrNoCamera) {
    const QString output = home.path() + QStringLiteral("/hold.txt");
    ASSERT_EQ(run({QStringLiteral("--hold"), QStringLiteral("2.5"), output}), 0);
    const QStringList lines = fileLines(output);
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("start ok=true shared=false format=512x600"));
    for (int t = 1; t <= 3; ++t) {
        static const QRegularExpression tick(QStringLiteral(
            "^t=(\\d) frames=(\\d+) analysed=(\\d+) faces=(\\d+) format=512x600 running=false$"));
        const QRegularExpressionMatch m = tick.match(lines[t]);
        ASSERT_TRUE(m.hasMatch()) << lines[t].toStdString();
        EXPECT_EQ(m.captured(1).toInt(), t);
        EXPECT_EQ(m.captured(3), m.captured(4))
            << "every analysed frame of the photograph has the face";
    }

    if (!QDir(QStringLiteral("/dev")).entryList({QStringLiteral("video*")}, QDir::System).isEmpty())
        return; // this machine has a real camera
    ASSERT_EQ(run({QStringLiteral("--hold"), QStringLiteral("1"), output}, QString()), 0);
    EXPECT_EQ(fileLines(output), QStringList{QStringLiteral("no camera")});
}

TEST_F(TiskoRun, aSecondLaunchHandsItsCheckToTheRunningOneAndACrashLeavesNoLock) {
    ASSERT_NO_FATAL_FAILURE(recordPosition(1.0));

    // Started at login: no window opens, though no tray shows the icon.
    QProcess first;
    start(first, {QStringLiteral("--autostart")});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(waitForLog(QStringLiteral("Vigilando: Mesa")));
    ASSERT_TRUE(waitForLog(QStringLiteral("Bandeja del sistema: no hay ninguna")));

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run({QStringLiteral("--check")}), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4))
        << "the second launch hands over and ends at once";
    EXPECT_TRUE(waitForLog(QStringLiteral("Mirada (a mano) · Mesa · Bien")));
    const qint64 pid = first.processId();
    const bool desktop = !qEnvironmentVariableIsEmpty("TISKO_HEADLESS_HARNESS");
    if (desktop) {
        EXPECT_TRUE(windowsNamed(QStringLiteral("Tisko"), pid).isEmpty());
    }
    EXPECT_EQ(run({}), 0);
    EXPECT_TRUE(waitForLog(QStringLiteral("otra apertura pide mostrarlo")));
    if (desktop) {
        // Opened again without a tray, Tisko shows its window titled "Tisko"; once more brings
        // the same one forward. Only this test's Tisko counts: windows of other programs may
        // share the desktop.
        ASSERT_TRUE(waitForWindows(QStringLiteral("Tisko"), 1, 15s, pid));
        EXPECT_EQ(run({}), 0);
        EXPECT_TRUE(waitUntil(
            [] {
                return loggedLines()
                           .filter(QStringLiteral("otra apertura pide mostrarlo"))
                           .size() == 2;
            },
            15s));
        EXPECT_EQ(windowsNamed(QStringLiteral("Tisko"), pid).size(), 1);
        EXPECT_TRUE(windowsNamed(QStringLiteral("Ajustes de Tisko"), pid).isEmpty());
    }
    EXPECT_EQ(loggedLines().filter(QStringLiteral("Tisko arranca")).size(), 1)
        << "one running Tisko";

    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished(5000);
    ASSERT_EQ(run({QStringLiteral("--check")}), 0) << "the dead one's lock is taken over";
    EXPECT_EQ(loggedLines().filter(QStringLiteral("Tisko arranca")).size(), 2);
    EXPECT_EQ(loggedLines().filter(QStringLiteral("Mirada (a mano) · Mesa · Bien")).size(), 2);
}

TEST_F(TiskoRun, helpAndVersionAnswerWithoutStartingAndUnknownArgumentsAreNamed) {
    for (const char* help : {"--help", "-h"}) {
        ASSERT_EQ(run({QStringLiteral("--check"), QString::fromUtf8(help)}), 0) << help;
        for (const char* item :
             {"--check", "--show-settings", "--autostart", "--look", "--hold", "ANCHO",
              "--render-windows", "--version", "TISKO_CAMERAS", "TISKO_TRAY_WAIT_MS"})
            EXPECT_TRUE(printed.contains(QString::fromUtf8(item))) << help << " lacks " << item;
    }
    ASSERT_EQ(run({QStringLiteral("--version")}), 0);
    EXPECT_EQ(printed, QStringLiteral("tisko " TISKO_VERSION "\n"));
    for (const QString& folder : {home.dataHome(), home.configHome(), home.stateHome()})
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/Tisko"))) << folder.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.configHome() + QStringLiteral("/autostart")));

    // Qt's own switches are Qt's; each other stray argument gets its line, and the run goes on:
    // here a look without a camera into a folder that is not there, which says why it failed.
    const QString lookFile = home.path() + QStringLiteral("/missing/look.txt");
    EXPECT_EQ(run({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--x"),
                   QStringLiteral("--look"), lookFile, QStringLiteral("--x")},
                  QString()),
              1);
    EXPECT_TRUE(errors.contains(lookFile)) << errors.toStdString();
    EXPECT_EQ(
        errors.count(QStringLiteral("tisko: se ignora «--x»; tisko --help enumera las opciones\n")),
        2)
        << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("offscreen"))) << errors.toStdString();
}

TEST_F(TiskoRun, showSettingsOpensThatPageFirstAndThenHandsItsPageToTheRunningOne) {
    if (qEnvironmentVariableIsEmpty("TISKO_HEADLESS_HARNESS"))
        GTEST_SKIP() << "needs the headless desktop";
    QProcess first;
    start(first, {QStringLiteral("--show-settings"), QStringLiteral("detection")});
    ASSERT_TRUE(waitForWindows(QStringLiteral("Ajustes de Tisko"), 1, 15s, first.processId()));
    // The window takes its page's height below the toolbar on the turn after it is shown.
    const auto sized = [&](int page) {
        return waitUntil(
            [&] {
                QProcess geometry;
                geometry.start(
                    QStringLiteral("xdotool"),
                    {QStringLiteral("getwindowgeometry"),
                     windowsNamed(QStringLiteral("Ajustes de Tisko"), first.processId()).value(0)});
                geometry.waitForFinished(10000);
                static const QRegularExpression size(QStringLiteral("Geometry: 660x(\\d+)"));
                const int height = size.match(QString::fromUtf8(geometry.readAllStandardOutput()))
                                       .captured(1)
                                       .toInt();
                return height > page && height < page + 100;
            },
            15s);
    };
    EXPECT_TRUE(sized(600));
    // No position is saved, yet the recording window stays shut.
    EXPECT_TRUE(windowsNamed(QStringLiteral("Nueva posición"), first.processId()).isEmpty());
    // A page nobody knows is the first.
    EXPECT_EQ(run({QStringLiteral("--show-settings"), QStringLiteral("nonsense")}), 0);
    EXPECT_TRUE(sized(400));
    EXPECT_EQ(run({QStringLiteral("--show-settings"), QStringLiteral("detection")}), 0);
    EXPECT_TRUE(sized(600));
    EXPECT_EQ(loggedLines().filter(QStringLiteral("Tisko arranca")).size(), 1);
    endProcess(first);
}

TEST_F(TiskoRun, renderWindowsDrawsEveryPictureOffScreenAndEnds) {
    const QString folder = home.path() + QStringLiteral("/pictures/new");
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    EXPECT_EQ(run({QStringLiteral("--render-windows"), folder}), 0);
    for (const QString& name : DebugTools::pictureNames()) {
        const QImage picture(folder + QLatin1Char('/') + name);
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        if (name.startsWith(QStringLiteral("panel-"))) {
            EXPECT_EQ(picture.width(), 300) << name.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(Log::filePath())) << "the pictures log nothing";
}

} // namespace
} // namespace tisko::test
