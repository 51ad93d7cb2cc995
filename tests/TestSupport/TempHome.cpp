#include "TempHome.h"

#include <QDir>

namespace tisko::test {

namespace {
constexpr const char* kVariables[5] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                       "XDG_STATE_HOME", "XDG_CACHE_HOME"};
}

TempHome::TempHome() {
    const QString base = m_dir.path();
    const QString values[5] = {base, base + QStringLiteral("/config"), base + QStringLiteral("/data"),
                               base + QStringLiteral("/state"), base + QStringLiteral("/cache")};
    for (int i = 0; i < 5; ++i) {
        m_saved[i] = {kVariables[i], qgetenv(kVariables[i]), qEnvironmentVariableIsSet(kVariables[i])};
        QDir().mkpath(values[i]);
        qputenv(kVariables[i], values[i].toLocal8Bit());
    }
}

TempHome::~TempHome() {
    for (const Saved& saved : m_saved) {
        if (saved.wasSet)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
}

} // namespace tisko::test
