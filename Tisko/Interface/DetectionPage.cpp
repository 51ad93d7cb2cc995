// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/DetectionPage.h"

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Interface/DetectionModel.h"
#include "Tisko/Interface/SettingsForm.h"
#include "Tisko/Support/SettingsStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tisko {

namespace {

void fill(QComboBox* box, const DetectionModel::Picker& picker) {
    const QSignalBlocker blocker(box);
    box->clear();
    for (const DetectionModel::Choice& choice : picker.choices)
        box->addItem(choice.label, choice.value);
    box->setCurrentIndex(picker.current);
}

// Writes the entry chosen, however it was chosen (assistive technology sets the index without
// a click), through `write`; choosing the stored value again does nothing. fill() blocks the
// signals of its own changes.
void bindPicker(QComboBox* box, QObject* context, std::function<double()> read,
                std::function<void(double)> write) {
    QObject::connect(box, &QComboBox::currentIndexChanged, context,
                     [box, read = std::move(read), write = std::move(write)](int index) {
                         if (index < 0)
                             return;
                         const double value = box->itemData(index).toDouble();
                         if (value != read())
                             write(value);
                     });
}

void bindSwitch(QCheckBox* box, QObject* context, std::function<void(bool)> write) {
    QObject::connect(box, &QCheckBox::toggled, context, std::move(write));
}

} // namespace

DetectionPage::DetectionPage(Monitor& monitor, QWidget* parent)
    : SettingsPage(parent)
    , m_monitor(monitor) {
    QVBoxLayout* column = SettingsForm::column(this);

    QFormLayout* warn = SettingsForm::form(SettingsForm::addSection(
        column, tr("Avisarme"),
        SettingsForm::footer(tr("Te avisa la primera vez que te ve mal, sin esperar a otra "
                                "comprobación. En Normal, «demasiado cerca» es la cara un 15 % "
                                "más grande que en tu posición, unos 8 o 10 cm más cerca."))));
    m_closeness = new QCheckBox(tr("Cuando te acercas demasiado a la pantalla"));
    m_slouch = new QCheckBox(tr("Cuando te hundes en la silla"));
    m_sensitivity = new QComboBox;
    warn->addRow(QString(), m_closeness);
    warn->addRow(QString(), m_slouch);
    warn->addRow(tr("Sensibilidad"), m_sensitivity);

    QFormLayout* camera = SettingsForm::form(SettingsForm::addSection(
        column, tr("Cámara"),
        SettingsForm::footer(tr("Cada vez que mira, la luz de la cámara se enciende un segundo y "
                                "medio. Si otra aplicación está usando la cámara, como en una "
                                "llamada, Tisko no la toca y vuelve a mirar la próxima vez."))));
    m_interval = new QComboBox;
    m_cooldown = new QComboBox;
    m_sounds = new QCheckBox(tr("Sonido con el aviso"));
    camera->addRow(tr("Mirar cada"), m_interval);
    camera->addRow(tr("Como mucho un aviso cada"), m_cooldown);
    camera->addRow(QString(), m_sounds);

    QFormLayout* tracker = SettingsForm::form(SettingsForm::addSection(
        column, tr("Seguidor de cabeza"),
        SettingsForm::footer(
            tr("Con un seguidor de cabeza que envíe su posición como opentrack (UDP al puerto "
               "4242 de este ordenador), Tisko nota sin cámara que llevas unos segundos con la "
               "cabeza inclinada hacia delante, y entonces mira por la cámara para "
               "confirmarlo. El seguidor solo no basta para avisar."))));
    m_tracker = new QCheckBox(tr("Usar el seguidor de cabeza para mirar antes"));
    tracker->addRow(QString(), m_tracker);
    column->addStretch(1);
    SettingsForm::alignFields({warn, camera, tracker});
    bindControls();
    // Queued: a picker is not refilled inside its own signal.
    refreshOnSetting(QLatin1String(), Qt::QueuedConnection);
    refresh();
}

// Each control writes its setting; those the Monitor reads once make it take them up again.
void DetectionPage::bindControls() {
    bindSwitch(m_closeness, this, &SettingsStore::setWatchCloseness);
    bindSwitch(m_slouch, this, &SettingsStore::setWatchSlouch);
    bindSwitch(m_sounds, this, &SettingsStore::setSoundsEnabled);
    bindPicker(
        m_sensitivity, this, [] { return double(SettingsStore::sensitivity()); },
        [](double level) { SettingsStore::setSensitivity(static_cast<int>(level)); });
    // The run of warnings and the last warning survive a new interval, cool-down or tracker.
    bindPicker(m_interval, this, &SettingsStore::interval, [this](double seconds) {
        SettingsStore::setInterval(seconds);
        m_monitor.applySettings();
    });
    bindPicker(m_cooldown, this, &SettingsStore::cooldownMinutes, [this](double minutes) {
        SettingsStore::setCooldownMinutes(minutes);
        m_monitor.applySettings();
    });
    bindSwitch(m_tracker, this, [this](bool on) {
        SettingsStore::setUseAirPods(on);
        m_monitor.applySettings();
    });
}

void DetectionPage::refresh() {
    // Showing the stored values writes nothing back.
    const QSignalBlocker closeness(m_closeness);
    const QSignalBlocker slouch(m_slouch);
    const QSignalBlocker sounds(m_sounds);
    const QSignalBlocker tracker(m_tracker);
    m_closeness->setChecked(SettingsStore::watchCloseness());
    m_slouch->setChecked(SettingsStore::watchSlouch());
    m_sounds->setChecked(SettingsStore::soundsEnabled());
    m_tracker->setChecked(SettingsStore::useAirPods());
    fill(m_sensitivity, DetectionModel::sensitivity(SettingsStore::sensitivity()));
    fill(m_interval, DetectionModel::interval(SettingsStore::interval()));
    fill(m_cooldown, DetectionModel::cooldown(SettingsStore::cooldownMinutes()));
}

} // namespace tisko
