// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The tisko program itself, run through a sample camera of a real photograph.
#include "EventLoop.h"
#include "LoggedLines.h"
#include "TempHome.h"
#include "TestFiles.h"

#include "Tisko/App/LaunchSwitches.h"
#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"
#include "TiskoCore/JsonCodec.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

namespace tisko::test {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

const QString photo = QStringLiteral(TISKO_TEST_PHOTOS "/grace_hopper.jpg");

struct TiskoRun : ::testing::Test {
    void SetUp() override {
        if (!QFile::exists(photo))
            GTEST_SKIP() << "the test photographs are not fetched";
        Storage::forgetFolderForTesting();
        Log::restartForTesting();
    }

    void start(QProcess& process, const QStringList& arguments) {
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TISKO_BINARY), arguments);
    }
    // Runs tisko to its end; its exit status, or -1 when it hung or crashed. Keeps its stderr.
    int run(const QStringList& arguments, int waitMs = 60000) {
        QProcess process;
        start(process, arguments);
        const bool ended = process.waitForFinished(waitMs);
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
    static qsizetype logged(const QString& text) { return loggedLines().filter(text).size(); }
    static bool waitForLog(const QString& text, qsizetype times = 1) {
        return waitUntil([&] { return logged(text) >= times; }, 15s);
    }
    // The visible windows of process `pid` with this title in the headless desktop (xdotool).
    static QStringList windowsNamed(const QString& title, qint64 pid) {
        QProcess search;
        // Without --all, xdotool matches windows that meet any one of the criteria.
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--all"), QStringLiteral("--pid"), QString::number(pid),
                      QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')});
        search.waitForFinished(10000);
        return QString::fromUtf8(search.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Takes one look through the sample camera and saves from it the active position "Mesa",
    // its face 1.25 times smaller than the photograph's: every look then finds the face too
    // close.
    bool saveTooCloseMesa() {
        // A look that analysed no frame before its timeout (a slow, loaded build) is taken
        // again, twice at most.
        const QString output = home.path() + QStringLiteral("/look.txt");
        QStringList lines;
        for (int attempt = 0;
             attempt < 3 && (attempt == 0 || lines.contains(QStringLiteral("frames=0/0")));
             ++attempt) {
            if (run({QStringLiteral("--look"), output}) != 0)
                return false;
            lines = fileLines(output);
        }
        static const QRegularExpression face(QStringLiteral(
            "^faceWidth=([0-9.]+) eyes=([-0-9.]+) faceY=([0-9.]+) faceHeight=([0-9.]+)$"));
        const QRegularExpressionMatch m = face.match(lines.value(5));
        EXPECT_EQ(lines.size(), 6) << lines.join(QLatin1Char('|')).toStdString();
        if (lines.size() != 6 || !m.hasMatch())
            return false;
        Calibration c;
        c.id = Uuid::random();
        c.name = "Mesa";
        c.reference =
            HeadMeasurement{m.captured(1).toDouble() / 1.25, m.captured(2).toDouble() / 1.25,
                            m.captured(3).toDouble(), m.captured(4).toDouble()};
        c.cameraID = (QStringLiteral("file:") + photo).toStdString();
        c.createdAt = std::chrono::system_clock::now();
        CalibrationBook book;
        book.save(c);
        return Storage::save(book, Storage::positionsFileName);
    }
    TempHome home;
    // One cache folder per build tree for every run: the landmark model is converted once.
    QProcessEnvironment env = [] {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_CACHE_HOME"), QStringLiteral(TISKO_TEST_CACHE));
        e.insert(QStringLiteral("TISKO_CAMERAS"), photo);
        e.insert(QStringLiteral("LANG"), QStringLiteral("es_ES.UTF-8")); // they read Spanish
        for (const char* other : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            e.remove(QString::fromLatin1(other));
        return e;
    }();
    QString errors;
    QString printed;
};

TEST_F(TiskoRun, aLookJudgesAndChecksAreHandedToTheRunningOneOrTakenOverAfterACrash) {
    ASSERT_TRUE(saveTooCloseMesa());
    EXPECT_FALSE(QFile::exists(Log::filePath())) << "a diagnostic look logs nothing";

    // Started at login: no window opens, though no tray shows the icon.
    QProcess first;
    start(first, {QStringLiteral("--autostart")});
    ASSERT_TRUE(first.waitForStarted(5000));
    ASSERT_TRUE(waitForLog(QStringLiteral("Vigilando: Mesa")));
    ASSERT_TRUE(waitForLog(QStringLiteral("Bandeja del sistema: no hay ninguna")));
    // A check asked for by a later launch: it looks, counts, warns and saves the counters.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(run({QStringLiteral("--check")}), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4))
        << "the second launch hands over and ends at once";
    const QString look = QStringLiteral("Mirada (a mano) · Mesa · Demasiado cerca · cerca 1.2");
    ASSERT_TRUE(waitForLog(QStringLiteral("Aviso enviado")));
    const QStringList looks = loggedLines().filter(look);
    ASSERT_EQ(looks.size(), 1);
    static const QRegularExpression tail(
        QStringLiteral(" · baja -?0\\.00\\d · ([1-6])/\\1 con cara · 512x600$"));
    EXPECT_TRUE(tail.match(looks[0]).hasMatch()) << looks[0].toStdString();
    const qint64 pid = first.processId();
    const bool desktop = !qEnvironmentVariableIsEmpty("TISKO_HEADLESS_HARNESS");
    EXPECT_TRUE(!desktop || windowsNamed(QStringLiteral("Tisko"), pid).isEmpty());
    EXPECT_EQ(run({}), 0);
    EXPECT_TRUE(waitForLog(QStringLiteral("otra apertura pide mostrarlo")));
    if (desktop) {
        // Opened again without a tray, Tisko shows its window titled "Tisko"; once more brings
        // the same one forward. Only this test's Tisko counts: windows of other programs may
        // share the desktop.
        ASSERT_TRUE(
            waitUntil([&] { return windowsNamed(QStringLiteral("Tisko"), pid).size() == 1; }, 15s));
        EXPECT_EQ(run({}), 0);
        EXPECT_TRUE(waitForLog(QStringLiteral("otra apertura pide mostrarlo"), 2));
        EXPECT_EQ(windowsNamed(QStringLiteral("Tisko"), pid).size(), 1);
        EXPECT_TRUE(windowsNamed(QStringLiteral("Ajustes de Tisko"), pid).isEmpty());
        // The settings a later launch asks for open in the running one.
        EXPECT_EQ(run({QStringLiteral("--show-settings"), QStringLiteral("detection")}), 0);
        EXPECT_TRUE(waitUntil(
            [&] { return windowsNamed(QStringLiteral("Ajustes de Tisko"), pid).size() == 1; },
            15s));
    }
    EXPECT_EQ(logged(QStringLiteral("Tisko arranca")), 1) << "one running Tisko";

    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished(5000);
    ASSERT_EQ(run({QStringLiteral("--check")}), 0) << "the dead one's lock is taken over";
    EXPECT_EQ(logged(QStringLiteral("Tisko arranca")), 2);
    EXPECT_EQ(logged(look), 2);
    const std::optional<DailyTally> tally = JsonCodec<DailyTally>::decode(
        readFile(Storage::filePath(Storage::tallyFileName)).toStdString());
    ASSERT_TRUE(tally.has_value() && tally->days.size() == 1);
    EXPECT_EQ(tally->days[0].tooClose, 2);

    if (!desktop)
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

// The first start where no tray shows: the recording window keeps the keyboard, and the window
// titled "Tisko" opens only once the recording window has closed.
TEST_F(TiskoRun, theFirstStartWithoutATrayLeavesTheKeyboardToTheRecordingWindow) {
    if (!qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    env.insert(QStringLiteral("TISKO_TRAY_WAIT_MS"), QStringLiteral("300"));
    QProcess tisko;
    start(tisko, {});
    ASSERT_TRUE(tisko.waitForStarted(5000));
    const QString recording = QStringLiteral("Nueva posición");
    ASSERT_TRUE(
        waitUntil([&] { return windowsNamed(recording, tisko.processId()).size() == 1; }, 15s));
    ASSERT_TRUE(waitForLog(QStringLiteral("Bandeja del sistema: no hay ninguna")));
    spin(1s);
    EXPECT_TRUE(windowsNamed(QStringLiteral("Tisko"), tisko.processId()).isEmpty());
    EXPECT_EQ(logged(QStringLiteral("Sin bandeja del sistema: un aviso")), 0) << "not a login";
    QProcess focus;
    focus.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    ASSERT_TRUE(focus.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(focus.readAllStandardOutput()).trimmed(),
              windowsNamed(recording, tisko.processId()).value(0));

    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                {QStringLiteral("key"), QStringLiteral("Escape")}),
              0);
    EXPECT_TRUE(waitUntil(
        [&] { return windowsNamed(QStringLiteral("Tisko"), tisko.processId()).size() == 1; }, 15s));
    endProcess(tisko);
}

// Started at login where no tray shows the icon, Tisko says once per login that it watches in
// the background; a click on that notice opens the window titled "Tisko".
TEST_F(TiskoRun, aLoginWithoutATraySaysOnceThatTiskoRunsAndTheNoticeOpensTheWindow) {
    if (!qEnvironmentVariableIsSet("TISKO_HEADLESS_HARNESS"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    env.insert(QStringLiteral("TISKO_TRAY_WAIT_MS"), QStringLiteral("300"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("dunstctl"), {QStringLiteral("close-all")}), 0);
    const QString notice = QStringLiteral("Sin bandeja del sistema: un aviso dice");
    const QString repeated = QStringLiteral("ya se dio en esta sesión");
    // Two starts in one login, then two in one that no variable names (logind's mock knows no
    // session); the first notice is clicked until the window opens (dunst may show it a moment
    // after it answers).
    for (const char* session : {"7", "7", "", ""}) {
        env.insert(QStringLiteral("XDG_SESSION_ID"), QString::fromLatin1(session));
        const qsizetype before = logged(notice) + logged(repeated);
        QProcess tisko;
        start(tisko, {QStringLiteral("--autostart")});
        ASSERT_TRUE(waitUntil([&] { return logged(notice) + logged(repeated) > before; }, 15s));
        EXPECT_TRUE(
            before > 0 ||
            waitUntil(
                [&] {
                    QProcess::execute(QStringLiteral("dunstctl"),
                                      {QStringLiteral("action"), QStringLiteral("0")});
                    return windowsNamed(QStringLiteral("Tisko"), tisko.processId()).size() == 1;
                },
                15s));
        endProcess(tisko);
    }
    EXPECT_EQ(logged(notice), 2);
    EXPECT_EQ(logged(repeated), 2);
}

// A helper program started for one test; its first line of output, read within 10 s.
QString firstLine(QProcess& process, const QString& program, const QStringList& arguments) {
    process.start(program, arguments);
    process.waitForStarted(10000);
    waitUntil([&] { return process.canReadLine(); }, 10s);
    return QString::fromUtf8(process.readLine()).trimmed();
}

// However the session ends (the terminal Tisko was started from closing, the session bus going
// away, the display gone), Tisko says why in its log and lets go of its socket; the first two
// are ordinary ends.
TEST_F(TiskoRun, anEndByHangUpByTheSessionBusOrByTheDisplayIsLoggedAndClean) {
    const QString runtime = home.path() + QStringLiteral("/runtime");
    ASSERT_TRUE(
        QDir().mkdir(runtime) &&
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("TISKO_TRAY_WAIT_MS"), QStringLiteral("100"));
    application(); // before the helpers, whose output it reads
    QProcess bus, display;
    const QString address = firstLine(bus, QStringLiteral("dbus-daemon"),
                                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                       QStringLiteral("--print-address=1")});
    const QString number = firstLine(display, QStringLiteral("Xvfb"),
                                     {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                      QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_FALSE(address.isEmpty() || number.isEmpty());
    const std::tuple<QProcess*, const char*, QString, int, const char*> ends[] = {
        {nullptr, "", {}, 0, "ha recibido SIGHUP"},
        {&bus, "DBUS_SESSION_BUS_ADDRESS", address, 0, "el bus de sesión se ha cerrado"},
        {&display, "DISPLAY", u':' + number, 1, "se ha perdido la conexión con la pantalla"}};
    qsizetype started = 0;
    for (const auto& [helper, variable, value, status, why] : ends) {
        QProcess tisko;
        QProcessEnvironment own = env;
        if (helper)
            own.insert(QString::fromLatin1(variable), value);
        tisko.setProcessEnvironment(own);
        tisko.start(QStringLiteral(TISKO_BINARY), {QStringLiteral("--autostart")});
        ASSERT_TRUE(waitForLog(QStringLiteral("Bandeja del sistema"), ++started));
        helper ? endProcess(*helper) : void(::kill(pid_t(tisko.processId()), SIGHUP));
        EXPECT_TRUE(tisko.waitForFinished(10000) && tisko.exitStatus() == QProcess::NormalExit);
        EXPECT_EQ(tisko.exitCode(), status) << why;
        EXPECT_EQ(logged(QStringLiteral("Tisko termina: ") + QString::fromUtf8(why)), 1);
        EXPECT_TRUE(QDir(runtime).entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty());
        endProcess(tisko);
    }
}

// Everything below the temporary home, relative to it.
std::string contentsOf(const QString& root) {
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(root).relativeFilePath(it.next());
    found.sort();
    return found.join(u' ').toStdString();
}

TEST_F(TiskoRun, withoutADisplayOnlyTheDiagnosticsRunAndStrayArgumentsAreNamed) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const std::string untouched = contentsOf(home.path());
    // Tisko itself refuses with one line that says what still works, and leaves no trace.
    for (const QStringList& arguments : {QStringList(), QStringList{QStringLiteral("--x")}}) {
        EXPECT_EQ(run(arguments, 15000), 1) << arguments.join(u' ').toStdString();
        EXPECT_EQ(errors.toStdString(), LaunchSwitches::noDisplayLine().toStdString());
        EXPECT_EQ(contentsOf(home.path()), untouched);
    }

    ASSERT_EQ(run({QStringLiteral("--check"), QStringLiteral("-h")}), 0);
    EXPECT_EQ(printed, LaunchSwitches::usage());
    ASSERT_EQ(run({QStringLiteral("--version")}), 0);
    EXPECT_EQ(printed, LaunchSwitches::versionLine());
    EXPECT_EQ(contentsOf(home.path()), untouched);

    // Qt's own switches are Qt's; each other stray argument gets its line, and the run goes on.
    const QString output = home.path() + QStringLiteral("/hold.txt");
    ASSERT_EQ(run({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--x"),
                   QStringLiteral("--hold"), QStringLiteral("2.5"), output, QStringLiteral("--x")}),
              0);
    EXPECT_EQ(errors.count(LaunchSwitches::ignoredLine(QStringLiteral("--x"))), 2)
        << errors.toStdString();
    EXPECT_FALSE(errors.contains(QStringLiteral("offscreen"))) << errors.toStdString();
    const QStringList lines = fileLines(output);
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("start ok=true shared=false format=512x600"));

    const QString folder = home.path() + QStringLiteral("/pictures/new");
    EXPECT_EQ(run({QStringLiteral("--render-windows"), folder}), 0);
    for (const QString& name : DebugTools::pictureNames())
        EXPECT_FALSE(QImage(folder + QLatin1Char('/') + name).isNull()) << name.toStdString();
    EXPECT_FALSE(QFile::exists(Log::filePath())) << "the pictures log nothing";
}

// The properties Tisko announces changed on the session bus, as a status bar sees them.
class PropertyLog : public QObject {
    Q_OBJECT
public:
    QMap<QString, QVariantList> values; // each property's values, in order
public Q_SLOTS:
    void changed(const QString&, const QVariantMap& changed, const QStringList&) {
        for (auto at = changed.cbegin(); at != changed.cend(); ++at)
            values[at.key()] << at.value();
    }
};

TEST_F(TiskoRun, scriptsDriveTheRunningTiskoThroughTheSessionBusAndLaterLaunches) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    ASSERT_TRUE(saveTooCloseMesa());
    QProcess running;
    const auto end = [](QProcess* process) { endProcess(*process); };
    const std::unique_ptr<QProcess, decltype(end)> ending(&running, end);
    start(running, {u"--autostart"_s});
    const QString service = u"io.github.tisko.Tisko"_s, path = u"/io/github/tisko/Tisko"_s;
    ASSERT_TRUE(waitUntil([&] { return bus.interface()->isServiceRegistered(service).value(); }));
    PropertyLog log;
    ASSERT_TRUE(bus.connect(service, path, u"org.freedesktop.DBus.Properties"_s,
                            u"PropertiesChanged"_s, &log,
                            SLOT(changed(QString, QVariantMap, QStringList))));
    QDBusInterface tisko(service, path, u"io.github.tisko.Tisko1"_s, bus);
    const auto read = [&](const char* name) { return tisko.property(name); };
    const auto call = [&](const QString& method, const QVariantList& arguments = {}) {
        return tisko.callWithArgumentList(QDBus::Block, method, arguments);
    };
    EXPECT_EQ(read("ActivePosition"), u"Mesa"_s);
    EXPECT_TRUE(waitForLog(u"Avisos: permitidos"_s)) << "dunst answers and is not paused";

    // A check: the state says it looks, then the verdict and the day's counts arrive.
    call(u"CheckNow"_s);
    ASSERT_TRUE(waitUntil([&] { return log.values.value(u"State"_s).size() >= 2; }, 20s));
    EXPECT_EQ(log.values.value(u"State"_s), (QVariantList{u"looking"_s, u"watching"_s}));
    EXPECT_EQ(log.values.value(u"LastVerdict"_s), QVariantList{u"too-close"_s});
    EXPECT_EQ(log.values.value(u"ChecksToday"_s), QVariantList{1u});
    EXPECT_EQ(log.values.value(u"WarningsToday"_s), QVariantList{1u});
    EXPECT_EQ(read("Summary"), u"Tisko: demasiado cerca"_s);

    // Pauses by the methods and by later launches; one out of range is refused whole.
    const auto pausedUntil = [&] { return read("PausedUntil").toULongLong(); };
    const auto pausedFor = [&](qulonglong seconds) {
        const auto until = qulonglong(QDateTime::currentSecsSinceEpoch()) + seconds;
        return read("State") == u"paused"_s && pausedUntil() + 5 >= until && pausedUntil() <= until;
    };
    const auto midnight =
        qulonglong(QDate::currentDate().addDays(1).startOfDay().toSecsSinceEpoch());
    call(u"Pause"_s, {30u});
    EXPECT_TRUE(pausedFor(30 * 60));
    const qulonglong paused = pausedUntil();
    for (const uint minutes : {0u, 1441u})
        EXPECT_EQ(call(u"Pause"_s, {minutes}).errorName(),
                  u"org.freedesktop.DBus.Error.InvalidArgs"_s);
    EXPECT_EQ(run({u"--pause"_s, u"0"_s}), 2);
    EXPECT_EQ(errors, LaunchSwitches::invalidPauseLine(u"0"_s));
    EXPECT_EQ(pausedUntil(), paused);
    EXPECT_TRUE(waitForLog(u"Se rechaza una pausa de"_s, 2));
    ASSERT_TRUE(waitUntil([&] { return !log.values.value(u"PausedUntil"_s).isEmpty(); }));
    EXPECT_EQ(log.values.value(u"PausedUntil"_s), QVariantList{paused});
    call(u"Resume"_s);
    EXPECT_EQ(read("State"), u"watching"_s);
    EXPECT_EQ(run({u"--pause"_s, u"15"_s}), 0);
    EXPECT_TRUE(pausedFor(15 * 60));
    EXPECT_EQ(run({u"--resume"_s}), 0);
    EXPECT_EQ(pausedUntil(), 0u);
    call(u"PauseUntilTomorrow"_s);
    EXPECT_EQ(pausedUntil(), midnight);

    // The README's status-bar module, through busctl alone: it shows, then resumes and pauses.
    const auto module = [&](const QStringList& arguments) {
        QProcess bar;
        bar.setProcessEnvironment(env);
        bar.start(u"" TISKO_STATUS_MODULE ""_s, arguments);
        EXPECT_TRUE(bar.waitForFinished(10000));
        return QString::fromUtf8(bar.readAllStandardOutput()).trimmed();
    };
    EXPECT_TRUE(module({}).startsWith(u"paused · Tisko: en pausa hasta el "_s));
    module({u"toggle"_s});
    EXPECT_EQ(module({}), u"watching · Tisko: demasiado cerca"_s);
    module({u"toggle"_s});
    EXPECT_TRUE(pausedFor(60 * 60));

    EXPECT_TRUE(call(u"ShowSettings"_s, {u"nope\nx"_s}).errorName().endsWith(u"InvalidArgs"_s));
    EXPECT_TRUE(waitForLog(u"Se rechaza abrir los ajustes en una página que no existe: nope x"_s));
    if (qEnvironmentVariableIsEmpty("TISKO_HEADLESS_HARNESS"))
        return; // the windows need the headless desktop
    for (const auto& [method, title] : {std::pair{"ShowSettings", "Ajustes de Tisko"},
                                        {"ShowHistory", "Historial de Tisko"},
                                        {"ShowPanel", "Tisko"},
                                        {"NewPosition", "Nueva posici.*"}}) {
        const QString name = QString::fromUtf8(method);
        call(name, name == u"ShowSettings"_s ? QVariantList{u"positions"_s} : QVariantList{});
        EXPECT_TRUE(waitUntil(
            [&] { return windowsNamed(QString::fromUtf8(title), running.processId()).size() == 1; },
            15s))
            << method;
    }
}

} // namespace
} // namespace tisko::test

#include "TiskoRunTests.moc"
