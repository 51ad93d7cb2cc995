// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/GeneralPage.h"

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Interface/GeneralModel.h"
#include "Tisko/Interface/MenuBarLabel.h"
#include "Tisko/Interface/SettingsForm.h"
#include "Tisko/Support/SettingsStore.h"
#include "Tisko/Support/Storage.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tisko {

GeneralPage::GeneralPage(Monitor& monitor, PlatformServices platform, QWidget* parent)
    : SettingsPage(parent)
    , m_monitor(monitor)
    , m_platform(platform) {
    QVBoxLayout* column = SettingsForm::column(this);

    m_iconFooter = SettingsForm::footer(QString());
    QGroupBox* general = SettingsForm::addSection(column, tr("General"), m_iconFooter);
    auto* switches = SettingsForm::stack(general);
    m_login = new QCheckBox(tr("Abrir Tisko al iniciar sesión"));
    m_icon = new QCheckBox(tr("Mostrar el icono en la bandeja del sistema"));
    switches->addWidget(m_login);
    switches->addWidget(m_icon);

    QGroupBox* counts =
        SettingsForm::addSection(column, tr("Recuento"),
                                 SettingsForm::footer(GeneralModel::tallyFooter(
                                     Storage::filePath(Storage::tallyFileName), QDir::homePath())));
    QFormLayout* countsForm = SettingsForm::form(counts);
    m_today = SettingsForm::secondary(QString());
    countsForm->addRow(tr("Hoy"), m_today);
    auto* exportButton = new QPushButton(tr("Exportar CSV…"));
    auto* historyButton = new QPushButton(tr("Ver historial…"));
    auto* countButtons = new QHBoxLayout;
    // A form's nested row gets no spacing of its own: keep the two buttons apart.
    countButtons->setSpacing(exportButton->fontMetrics().averageCharWidth());
    countButtons->addWidget(exportButton);
    countButtons->addWidget(historyButton);
    countButtons->addStretch(1);
    countsForm->addRow(tr("Recuento diario"), countButtons);

    // A build or a setting without a feed checks nothing, and offers no button for it.
    const bool hasFeed = m_platform.updates.available();
    QGroupBox* updates = SettingsForm::addSection(
        column, tr("Actualizaciones"), SettingsForm::footer(GeneralModel::updatesFooter(hasFeed)));
    QFormLayout* updatesForm = SettingsForm::form(updates);
    auto* check = new QPushButton(tr("Buscar actualizaciones"));
    check->setVisible(hasFeed);
    connect(check, &QPushButton::clicked, this, [this] { m_platform.updates.checkNow(); });
    updatesForm->addRow(GeneralModel::versionRow(QStringLiteral(TISKO_VERSION)), check);
    column->addStretch(1);

    // Toggled, not clicked: a change made through assistive technology counts too; refresh()
    // blocks the signals of what it shows.
    connect(m_login, &QCheckBox::toggled, this, [this](bool on) {
        m_platform.login.setEnabled(on);
        // A failed change is logged; the switch shows what the system has.
        const QSignalBlocker blocker(m_login);
        m_login->setChecked(m_platform.login.isEnabled());
    });
    connect(m_icon, &QCheckBox::toggled, this,
            [](bool on) { SettingsStore::setShowsMenuBarIcon(on); });
    refreshOnSetting(SettingsStore::showsMenuBarIconKey);
    connect(&m_monitor, &Monitor::tallyChanged, this, &GeneralPage::refreshCounts);
    connect(exportButton, &QPushButton::clicked, this, &GeneralPage::exportCounts);
    connect(historyButton, &QPushButton::clicked, this, &GeneralPage::historyRequested);
    refresh();
}

void GeneralPage::refresh() {
    const QSignalBlocker login(m_login);
    const QSignalBlocker icon(m_icon);
    m_login->setChecked(m_platform.login.isEnabled());
    const bool iconShown = SettingsStore::showsMenuBarIcon();
    m_icon->setChecked(iconShown);
    m_iconFooter->setText(GeneralModel::iconFooter(iconShown, MenuBarLabel::trayFound()));
    refreshCounts();
}

void GeneralPage::refreshCounts() {
    const DailyTally::Day today = m_monitor.tally().day(m_monitor.now(), m_monitor.calendar());
    m_today->setText(GeneralModel::todayLine(today));
}

void GeneralPage::exportCounts() {
    QFileDialog dialog(this, tr("Exportar recuento"), QDir::homePath(),
                       tr("Texto separado por comas (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(GeneralModel::proposedFileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString reason;
    if (GeneralModel::exportCsv(m_monitor.tally(), dialog.selectedFiles().constFirst(), &reason))
        return;
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Exportar recuento"),
                                tr("No se ha podido exportar el recuento: %1").arg(reason),
                                QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace tisko
