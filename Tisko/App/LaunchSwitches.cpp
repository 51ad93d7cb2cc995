#include "Tisko/App/LaunchSwitches.h"

#include <cmath>

namespace tisko {

namespace {

// The items right after the first occurrence of `name`; absent when the switch is not there.
std::optional<QStringList> itemsAfter(const QStringList& arguments, const QString& name) {
    const qsizetype at = arguments.indexOf(name);
    if (at < 0)
        return std::nullopt;
    return arguments.mid(at + 1);
}

} // namespace

LaunchSwitches LaunchSwitches::scan(const QStringList& arguments) {
    LaunchSwitches result;
    result.autostart = arguments.contains(QStringLiteral("--autostart"));
    if (const auto items = itemsAfter(arguments, QStringLiteral("--show-settings"))) {
        result.kind = Kind::showSettings;
        if (!items->isEmpty())
            result.tab = items->first();
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--look"));
        items && !items->isEmpty()) {
        result.kind = Kind::look;
        result.path = items->first();
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--hold"));
        items && items->size() >= 2) {
        result.kind = Kind::hold;
        bool ok = false;
        const double seconds = items->at(0).toDouble(&ok);
        // A hold of "nan" or "inf" seconds would never end.
        result.seconds = ok && std::isfinite(seconds) ? seconds : 10;
        result.path = items->at(1);
        if (items->size() >= 3) {
            const int width = items->at(2).toInt(&ok);
            if (ok)
                result.width = width;
        }
        return result;
    }
    if (arguments.contains(QStringLiteral("--check"))) {
        result.kind = Kind::check;
        return result;
    }
    if (const auto items = itemsAfter(arguments, QStringLiteral("--render-windows"));
        items && !items->isEmpty()) {
        result.kind = Kind::renderWindows;
        result.path = items->first();
        return result;
    }
    return result;
}

} // namespace tisko
