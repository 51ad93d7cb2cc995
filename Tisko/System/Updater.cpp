// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/Updater.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/System/Appcast.h"
#include "Tisko/System/Notifier.h"
#include "Tisko/System/UpdateSchedule.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QRandomGenerator>

#include <algorithm>

namespace tisko {

Updater::Environment Updater::Environment::ofThisProcess() {
    Environment environment;
    environment.now = [] { return std::chrono::system_clock::now(); };
    environment.jitter = [] { return QRandomGenerator::global()->bounded(2.0) - 1.0; };
    environment.inFocus = [] { return QGuiApplication::focusWindow() != nullptr; };
    environment.center = &NotificationCenter::current();
    environment.builtInFeed = QStringLiteral(TISKO_UPDATE_FEED);
    environment.current = QVersionNumber::fromString(QStringLiteral(TISKO_VERSION));
    return environment;
}

Updater::Updater(Environment environment, QObject* parent)
    : QObject(parent)
    , m_environment(std::move(environment))
    , m_fetcher(std::chrono::seconds(30), m_environment.checkTime)
    , m_launch(m_environment.now())
    , m_availableVersion(SettingsStore::previewUpdate()) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Updater::checkIfDue);
    connect(SettingsStore::notifier(), &SettingsNotifier::changed, this,
            [this](const QString& key) {
                if (key == SettingsStore::updateFeedURLKey)
                    plan();
            });
    m_jitter = m_environment.jitter();
    plan();
}

Updater::~Updater() = default;

Updater& Updater::shared() {
    static QPointer<Updater> instance;
    if (!instance)
        instance = new Updater(Environment::ofThisProcess(), QCoreApplication::instance());
    return *instance;
}

QUrl Updater::feed() const {
    const QString text = SettingsStore::updateFeedURL().value_or(m_environment.builtInFeed);
    return text.isEmpty() ? QUrl() : QUrl(text);
}

void Updater::checkForUpdates() {
    startCheck(true);
}

void Updater::checkIfDue() {
    if (!feed().isEmpty() && m_nextCheck && m_environment.now() >= *m_nextCheck)
        startCheck(false);
    plan();
}

void Updater::plan() {
    m_timer.stop();
    if (feed().isEmpty()) {
        m_nextCheck.reset();
        return;
    }
    const Date now = m_environment.now();
    m_nextCheck =
        UpdateSchedule::nextCheck(SettingsStore::lastUpdateCheck(), m_launch, now, m_jitter);
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*m_nextCheck - now);
    // A check already running plans again when it ends.
    if (!m_checking)
        m_timer.start(std::clamp<std::chrono::milliseconds>(wait, std::chrono::milliseconds(0),
                                                            std::chrono::hours(24)));
}

void Updater::startCheck(bool userInitiated) {
    if (m_checking) {
        // The answer of the check in flight serves the user too.
        m_userInitiated = m_userInitiated || userInitiated;
        return;
    }
    const QUrl address = feed();
    if (address.isEmpty()) {
        if (userInitiated)
            Q_EMIT windowRequested(
                {UpdateOutcome::Kind::failed, {}, tr("Las actualizaciones están desactivadas.")});
        return;
    }
    m_checking = true;
    m_userInitiated = userInitiated;
    m_jitter = m_environment.jitter();
    SettingsStore::setLastUpdateCheck(m_environment.now());
    m_fetcher.fetch(address, [this](const AppcastFetcher::Result& result) { answer(result); });
}

void Updater::answer(const AppcastFetcher::Result& result) {
    m_checking = false;
    const bool userInitiated = std::exchange(m_userInitiated, false);
    plan();
    if (!result.error.isEmpty()) {
        refuse(result.error, userInitiated);
        return;
    }
    const Appcast::Reading reading = Appcast::read(result.document);
    if (reading.refused) {
        refuse(reading.problem, userInitiated);
        return;
    }
    // Unreadable items are left out; the rest of the feed still counts.
    if (!reading.problem.isEmpty())
        Log::error(QStringLiteral("Actualizaciones: ") + reading.problem);

    const std::optional<AppcastItem> newest = Appcast::newest(reading.items, m_environment.current);
    if (!newest) {
        if (userInitiated)
            Q_EMIT windowRequested({UpdateOutcome::Kind::upToDate, {}, {}});
        return;
    }
    setAvailableVersion(newest->displayVersion);
    if (!userInitiated && !m_environment.inFocus()) {
        Notifier::postUpdate(newest->displayVersion, *m_environment.center);
        return;
    }
    Q_EMIT windowRequested({UpdateOutcome::Kind::found, *newest, {}});
}

void Updater::refuse(const QString& reason, bool userInitiated) {
    Log::error(QStringLiteral("Actualizaciones: ") + reason);
    if (userInitiated)
        Q_EMIT windowRequested({UpdateOutcome::Kind::failed, {}, reason});
}

void Updater::windowShown() {
    Notifier::removeUpdate(*m_environment.center);
}

void Updater::finishSession() {
    setAvailableVersion(std::nullopt);
}

void Updater::setAvailableVersion(const std::optional<QString>& version) {
    if (version == m_availableVersion)
        return;
    m_availableVersion = version;
    Q_EMIT availableVersionChanged();
}

} // namespace tisko
