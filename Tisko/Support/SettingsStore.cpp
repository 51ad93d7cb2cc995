// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Support/SettingsStore.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

namespace tisko {

Q_GLOBAL_STATIC(SettingsNotifier, settingsNotifier)

namespace {

constexpr double defaultInterval = 180;
constexpr double shortestInterval = 30;
constexpr int defaultSensitivity = 3;
constexpr double defaultCooldownMinutes = 10;

QString configHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative values are invalid by the XDG rules and are ignored.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

// Whether `path` is a regular file or missing. QSettings would block for ever opening a FIFO
// (and wait on one in place of its lock file), so anything else is never handed to it.
bool regularOrMissing(const QString& path) {
    const int fd = PrivateFiles::openRegular(QFile::encodeName(path), O_RDONLY);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0 || (errno != ENXIO && errno != EISDIR);
}

// Whether QSettings may open the file (and, to write, its lock); one line is logged when it
// may not, and again only after the file has been usable in between.
bool settingsFileUsable(const QString& path, bool writing) {
    static std::atomic<bool> refusalLogged = false;
    const bool usable =
        regularOrMissing(path) && (!writing || regularOrMissing(path + QStringLiteral(".lock")));
    if (usable)
        refusalLogged = false;
    else if (!refusalLogged.exchange(true))
        Log::error(QStringLiteral("Los ajustes ") + path +
                   QStringLiteral(" no son un archivo normal: uso los valores por omisión"));
    return usable;
}

// A settings object over the file as it is now on disk.
QVariant readValue(const QString& key) {
    const QString path = SettingsStore::filePath();
    if (!settingsFileUsable(path, false))
        return {};
    QSettings settings(path, QSettings::IniFormat);
    return settings.value(key);
}

// The stored boolean, or `fallback` when the key is unset or holds anything but
// "true"/"false".
bool readBool(const QString& key, bool fallback) {
    const QVariant value = readValue(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return fallback;
}

// A typed number read: 0 when unset or not a number. Infinities count as not a number.
double readDouble(const QString& key) {
    const QVariant value = readValue(key);
    bool ok = false;
    double number = 0;
    if (value.typeId() == QMetaType::QString)
        number = value.toString().trimmed().toDouble(&ok);
    else if (value.isValid())
        number = value.toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0;
}

// A typed integer read: 0 when unset or not a number; a fraction is dropped.
long long readInteger(const QString& key) {
    const double number = readDouble(key);
    constexpr double limit = static_cast<double>(std::numeric_limits<int>::max());
    if (number > limit || number < -limit)
        return 0;
    return static_cast<long long>(std::trunc(number));
}

std::optional<Date> readDate(const QString& key) {
    const QVariant value = readValue(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return parseIso8601(value.toString().trimmed().toStdString());
}

// Stores `text` under `key`, or removes the key when there is no text; tells the notifier
// when the stored value changed. Values are kept as text so the file stays readable.
void writeValue(const QString& key, const std::optional<QString>& text) {
    const QString path = SettingsStore::filePath();
    if (!settingsFileUsable(path, true))
        return;
    // Made here, private, before the settings object would make it open to all.
    PrivateFiles::makeFolder(QFileInfo(path).absolutePath());
    QSettings settings(path, QSettings::IniFormat);
    const QVariant old = settings.value(key);
    const bool same =
        text ? (old.typeId() == QMetaType::QString && old.toString() == *text) : !old.isValid();
    if (same)
        return;
    if (text)
        settings.setValue(key, *text);
    else
        settings.remove(key);
    settings.sync();
    // A file that did not parse is rewritten from what could be read; its FormatError then
    // hides any later AccessError, so writability is checked directly.
    const bool failed = settings.status() == QSettings::AccessError ||
                        (settings.status() == QSettings::FormatError &&
                         !QFileInfo(settings.fileName()).isWritable());
    if (failed) {
        Log::error(QStringLiteral("No se ha podido guardar ") +
                   QFileInfo(settings.fileName()).fileName() +
                   QStringLiteral(": no se puede escribir en el archivo"));
        return;
    }
    Q_EMIT SettingsStore::notifier()->changed(key);
}

QString boolText(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString numberText(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString hintKey(const Uuid& id) {
    return QString(SettingsStore::referenceHintDismissedPrefix) +
           QString::fromStdString(id.toString());
}

} // namespace

QString SettingsStore::filePath() {
    return configHome() + QStringLiteral("/Tisko/Tisko.conf");
}

SettingsNotifier* SettingsStore::notifier() {
    return settingsNotifier();
}

double SettingsStore::interval() {
    const double stored = readDouble(intervalKey);
    return stored >= shortestInterval ? stored : defaultInterval;
}

int SettingsStore::sensitivity() {
    const long long stored = readInteger(sensitivityKey);
    return stored >= 1 && stored <= 5 ? static_cast<int>(stored) : defaultSensitivity;
}

Thresholds SettingsStore::thresholds() {
    return Thresholds::sensitivity(sensitivity());
}

bool SettingsStore::watchCloseness() {
    return readBool(watchClosenessKey, true);
}

bool SettingsStore::watchSlouch() {
    return readBool(watchSlouchKey, true);
}

double SettingsStore::cooldownMinutes() {
    const double stored = readDouble(cooldownMinutesKey);
    return stored > 0 ? stored : defaultCooldownMinutes;
}

double SettingsStore::cooldown() {
    return cooldownMinutes() * 60;
}

bool SettingsStore::useAirPods() {
    return readBool(useAirPodsKey, true);
}

bool SettingsStore::soundsEnabled() {
    return readBool(soundsEnabledKey, true);
}

bool SettingsStore::autoSelectByDisplays() {
    return readBool(autoSelectByDisplaysKey, true);
}

bool SettingsStore::showsMenuBarIcon() {
    return readBool(showsMenuBarIconKey, true);
}

std::optional<Date> SettingsStore::pausedUntil() {
    return readDate(pausedUntilKey);
}

bool SettingsStore::referenceHintDismissed(const Uuid& id, Date now) {
    const QString key = hintKey(id);
    const std::optional<Date> until = readDate(key);
    return until && *until > now;
}

bool SettingsStore::loginItemConfigured() {
    return readBool(loginItemConfiguredKey, false);
}

std::optional<QString> SettingsStore::previewUpdate() {
    const QVariant value = readValue(previewUpdateKey);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QString> SettingsStore::updateFeedURL() {
    const QVariant value = readValue(updateFeedURLKey);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString().trimmed();
}

std::optional<Date> SettingsStore::lastUpdateCheck() {
    return readDate(lastUpdateCheckKey);
}

void SettingsStore::setInterval(double seconds) {
    writeValue(intervalKey, numberText(seconds));
}

void SettingsStore::setSensitivity(int level) {
    writeValue(sensitivityKey, QString::number(level));
}

void SettingsStore::setWatchCloseness(bool on) {
    writeValue(watchClosenessKey, boolText(on));
}

void SettingsStore::setWatchSlouch(bool on) {
    writeValue(watchSlouchKey, boolText(on));
}

void SettingsStore::setCooldownMinutes(double minutes) {
    writeValue(cooldownMinutesKey, numberText(minutes));
}

void SettingsStore::setUseAirPods(bool on) {
    writeValue(useAirPodsKey, boolText(on));
}

void SettingsStore::setSoundsEnabled(bool on) {
    writeValue(soundsEnabledKey, boolText(on));
}

void SettingsStore::setAutoSelectByDisplays(bool on) {
    writeValue(autoSelectByDisplaysKey, boolText(on));
}

void SettingsStore::setShowsMenuBarIcon(bool on) {
    writeValue(showsMenuBarIconKey, boolText(on));
}

void SettingsStore::setPausedUntil(std::optional<Date> until) {
    writeValue(pausedUntilKey,
               until ? std::optional<QString>(QString::fromStdString(formatIso8601(*until)))
                     : std::nullopt);
}

void SettingsStore::setReferenceHintDismissed(const Uuid& id, Date until) {
    writeValue(hintKey(id), QString::fromStdString(formatIso8601(until)));
}

void SettingsStore::setLoginItemConfigured(bool configured) {
    writeValue(loginItemConfiguredKey, boolText(configured));
}

void SettingsStore::setUpdateFeedURL(const std::optional<QString>& address) {
    writeValue(updateFeedURLKey, address);
}

void SettingsStore::setLastUpdateCheck(Date when) {
    writeValue(lastUpdateCheckKey, QString::fromStdString(formatIso8601(when)));
}

} // namespace tisko
