// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/System/SysfsDrm.h"

#include "Tisko/System/Edid.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace tisko {

namespace {

// Sysfs attributes are small; a few KiB covers any EDID with its extension blocks.
constexpr qint64 maxAttributeSize = 32 * 1024;

QByteArray readAttribute(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxAttributeSize);
}

QString readWord(const QString& path) {
    return QString::fromLatin1(readAttribute(path)).trimmed();
}

} // namespace

SysfsDrm::SysfsDrm(QString root)
    : m_root(std::move(root)) {}

QStringList SysfsDrm::connectedConnectors() const {
    static const QRegularExpression connectorName(QStringLiteral("^card\\d+-.+$"));
    QStringList connectors;
    const QDir root(m_root);
    const QStringList names = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (!connectorName.match(name).hasMatch())
            continue;
        const QString folder = root.filePath(name);
        if (readWord(folder + QStringLiteral("/status")) == QStringLiteral("connected"))
            connectors.append(folder);
    }
    return connectors;
}

std::optional<std::vector<QByteArray>> SysfsDrm::connectedEdids() {
    if (!QDir(m_root).exists())
        return std::nullopt;
    std::vector<QByteArray> edids;
    for (const QString& folder : connectedConnectors()) {
        QByteArray edid = readAttribute(folder + QStringLiteral("/edid"));
        if (!edid.isEmpty())
            edids.push_back(std::move(edid));
    }
    return edids;
}

QStringList SysfsDrm::connectorsWithoutEdid() const {
    QStringList names;
    for (const QString& folder : connectedConnectors()) {
        if (Edid::parse(readAttribute(folder + QStringLiteral("/edid"))))
            continue;
        // "card1-DP-1" is connector DP-1 of card 1.
        const QString entry = QDir(folder).dirName();
        names.append(entry.mid(entry.indexOf(QLatin1Char('-')) + 1));
    }
    return names;
}

std::optional<bool> SysfsDrm::displaysAsleep() const {
    int reporting = 0;
    int asleep = 0;
    for (const QString& folder : connectedConnectors()) {
        if (readWord(folder + QStringLiteral("/enabled")) != QStringLiteral("enabled"))
            continue;
        const QString dpms = readWord(folder + QStringLiteral("/dpms"));
        if (dpms.isEmpty())
            continue;
        ++reporting;
        if (dpms != QStringLiteral("On"))
            ++asleep;
    }
    if (reporting == 0)
        return std::nullopt;
    return asleep == reporting;
}

} // namespace tisko
