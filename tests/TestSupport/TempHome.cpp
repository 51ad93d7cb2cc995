// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TempHome.h"

#include <QDir>

#include <utility>

namespace tisko::test {

namespace {
// Each variable and the folder it points to below the temporary home.
constexpr std::pair<const char*, const char*> kFolders[5] = {{"HOME", ""},
                                                             {"XDG_CONFIG_HOME", "/config"},
                                                             {"XDG_DATA_HOME", "/data"},
                                                             {"XDG_STATE_HOME", "/state"},
                                                             {"XDG_CACHE_HOME", "/cache"}};
} // namespace

TempHome::TempHome(const QString& parent)
    : m_dir(parent + QStringLiteral("/tisko-home-XXXXXX")) {
    for (int i = 0; i < 5; ++i) {
        const auto [name, folder] = kFolders[i];
        if (qEnvironmentVariableIsSet(name))
            m_saved[i] = qgetenv(name);
        const QString value = path() + QLatin1String(folder);
        QDir().mkpath(value);
        qputenv(name, value.toLocal8Bit());
    }
}

TempHome::~TempHome() {
    for (int i = 0; i < 5; ++i) {
        if (m_saved[i])
            qputenv(kFolders[i].first, *m_saved[i]);
        else
            qunsetenv(kFolders[i].first);
    }
}

} // namespace tisko::test
