// The general page: the tray icon switch and the export of the daily counts.
#include "SettingsFixture.h"

#include "LoggedLines.h"
#include "TestFiles.h"

#include "Tisko/Support/Log.h"
#include "Tisko/Support/SettingsStore.h"

#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tisko::test {
namespace {

// While alive, this thread cannot write where the file modes forbid it, even as root (it
// drops CAP_DAC_OVERRIDE from its effective set and takes it back afterwards).
class FileModesApply {
public:
    FileModesApply() {
        if (getCaps(&m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        m_changed = setCaps(&m_header, reduced) == 0;
    }
    ~FileModesApply() {
        if (m_changed)
            setCaps(&m_header, m_saved);
    }

private:
    static int getCaps(__user_cap_header_struct* h, __user_cap_data_struct* d) {
        return static_cast<int>(::syscall(SYS_capget, h, d));
    }
    static int setCaps(__user_cap_header_struct* h, __user_cap_data_struct* d) {
        return static_cast<int>(::syscall(SYS_capset, h, d));
    }
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
    bool m_changed = false;
};

struct General : SettingsFixture {
    General() { open(SettingsTab::general); }
    // Clicks "Exportar CSV…" and saves as `path`, confirming the replacement of a file.
    QString exportTo(const QString& path) {
        QString proposed;
        whenModal<QFileDialog>(window.get(), [&](QFileDialog* dialog) {
            proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            whenModal<QMessageBox>(
                dialog, [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
            dialog->selectFile(path);
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
        });
        QTest::mouseClick(button(QStringLiteral("Exportar CSV…")), Qt::LeftButton);
        return proposed;
    }
};

const QByteArray header = "fecha,avisos,demasiado_cerca,encorvado,comprobaciones,"
                          "comprobaciones_mal\n";

TEST(SettingsGeneral, TheIconSwitchWritesTheSettingAndChangesTheFooter) {
    General h;
    QAbstractButton* icon = h.button(QStringLiteral("Mostrar el icono en la bandeja del sistema"));
    ASSERT_TRUE(icon && icon->isChecked());
    const QString hidden = QStringLiteral("Sin icono, Tisko sigue mirando. Para volver aquí, abre "
                                          "Tisko otra vez desde el menú de aplicaciones.");
    EXPECT_TRUE(h.shown<QLabel>(h.window.get(), hidden).empty());
    QTest::keyClick(icon, Qt::Key_Space);
    EXPECT_FALSE(SettingsStore::showsMenuBarIcon());
    EXPECT_EQ(h.shown<QLabel>(h.window.get(), hidden).size(), 1u);
    EXPECT_EQ(h.shown<QLabel>(h.window.get(), QStringLiteral("0 avisos · 0 comprobaciones")).size(),
              1u);
}

TEST(SettingsGeneral, AnEmptyTallyExportsTheHeaderOnly) {
    General h;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("recuento.csv"));
    EXPECT_EQ(h.exportTo(path), QStringLiteral("Tisko recuento.csv"));
    EXPECT_EQ(readFile(path), header);
}

TEST(SettingsGeneral, AFailedExportIsLoggedAndLeavesTheEarlierFile) {
    General h;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("recuento.csv"));
    writeFile(path, "antes\n");
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    {
        const FileModesApply modes;
        h.exportTo(path);
    }
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(path), "antes\n");
    Log::flush();
    const QStringList errors = loggedErrors();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("Exportar: ")))
        << errors.first().toStdString();
}

} // namespace
} // namespace tisko::test
