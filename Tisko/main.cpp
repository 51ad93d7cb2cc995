#include "Tisko/App/AppDelegate.h"

#include <QApplication>

int main(int argc, char** argv) {
    tisko::AppDelegate::prepareEnvironment();
    QApplication application(argc, argv);
    // The name trays and the desktop show for Tisko's icon (the data folders are named apart).
    QCoreApplication::setApplicationName(QStringLiteral("Tisko"));
    // Lets the desktop match the windows and notifications with the menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(TISKO_APP_ID));
    tisko::AppDelegate delegate(QCoreApplication::arguments());
    if (const std::optional<int> status = delegate.launch())
        return *status;
    return QApplication::exec();
}
