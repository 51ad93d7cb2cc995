// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace tisko::test {

// A private HOME with its own XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_STATE_HOME and
// XDG_CACHE_HOME for the life of the object; the old environment comes back afterwards.
class TempHome {
public:
    // The home is a new folder inside `parent`.
    explicit TempHome(const QString& parent = QDir::tempPath());
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString configHome() const { return path() + QStringLiteral("/config"); }
    QString dataHome() const { return path() + QStringLiteral("/data"); }
    QString stateHome() const { return path() + QStringLiteral("/state"); }

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_saved[5];
};

} // namespace tisko::test
