// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/PositionsPage.h"

#include "Tisko/Monitor/Monitor.h"
#include "Tisko/Interface/SettingsForm.h"
#include "Tisko/Interface/SettingsIcons.h"
#include "Tisko/Support/SettingsStore.h"
#include "TiskoCore/CalibrationBook.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace tisko {

namespace {

constexpr int markSize = 18;

} // namespace

PositionsPage::PositionsPage(Monitor& monitor, PlatformServices platform, QWidget* parent)
    : SettingsPage(parent)
    , m_monitor(monitor)
    , m_platform(platform) {
    QVBoxLayout* column = SettingsForm::column(this);

    QGroupBox* positions = SettingsForm::addSection(
        column, tr("Posiciones"),
        SettingsForm::footer(tr("Una por sitio: la cámara te ve distinto con el portátil a un "
                                "lado y en alto que con el portátil delante, en la mesa. Para "
                                "rehacer una, crea otra con el mismo nombre.")));
    auto* list = SettingsForm::stack(positions);
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(8);
    list->addLayout(m_rows);
    auto* newPosition = new QPushButton(tr("Nueva posición…"));
    m_newPosition = newPosition;
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(newPosition);
    buttonRow->addStretch(1);
    list->addLayout(buttonRow);

    m_displaysFooter = SettingsForm::footer(QString());
    QGroupBox* displays = SettingsForm::addSection(column, QString(), m_displaysFooter);
    auto* displaysLayout = SettingsForm::stack(displays);
    m_autoSelect = new QCheckBox(tr("Elegirla sola según las pantallas conectadas"));
    displaysLayout->addWidget(m_autoSelect);
    column->addStretch(1);

    connect(newPosition, &QPushButton::clicked, this, &PositionsPage::newPositionRequested);
    // Toggled, not clicked: a change made through assistive technology counts too.
    connect(m_autoSelect, &QCheckBox::toggled, this, [this](bool on) {
        SettingsStore::setAutoSelectByDisplays(on);
        if (on)
            m_monitor.selectCalibrationForDisplays();
    });
    refreshOnSetting(SettingsStore::autoSelectByDisplaysKey);
    connect(&m_monitor, &Monitor::bookChanged, this, &PositionsPage::rebuildRows);
    refresh();
}

void PositionsPage::refresh() {
    {
        const QSignalBlocker blocker(m_autoSelect);
        m_autoSelect->setChecked(SettingsStore::autoSelectByDisplays());
    }
    m_displaysFooter->setText(PositionsModel::displaysFooter(m_monitor.currentDisplayKey(),
                                                             m_platform.displays.withoutEdid()));
    rebuildRows();
}

void PositionsPage::rebuildRows() {
    // The old rows may be the sender of the signal that got here: they go on the next turn.
    SettingsForm::clear(m_rows);
    const std::vector<PositionsModel::Row> rows =
        PositionsModel::rows(m_monitor.book(), m_platform.cameras.cameras(), QLocale());
    if (m_editing && std::none_of(rows.begin(), rows.end(),
                                  [&](const PositionsModel::Row& r) { return r.id == *m_editing; }))
        m_editing.reset();
    if (rows.empty()) {
        QLabel* hint = SettingsForm::secondary(
            tr("Todavía no hay ninguna. Crea la primera sentado como quieres sentarte."));
        hint->setWordWrap(true);
        m_rows->addWidget(hint);
        return;
    }
    // Tab follows the screen: the rows, then the buttons under them.
    QWidget* previous = nullptr;
    auto chain = [&previous](QWidget* next) {
        if (previous)
            setTabOrder(previous, next);
        previous = next;
    };
    for (const PositionsModel::Row& row : rows) {
        QWidget* widget = rowWidget(row);
        m_rows->addWidget(widget);
        for (QWidget* control : widget->findChildren<QWidget*>()) {
            if (control->focusPolicy() & Qt::TabFocus)
                chain(control);
        }
    }
    chain(m_newPosition);
    chain(m_autoSelect);
}

QWidget* PositionsPage::rowWidget(const PositionsModel::Row& row) {
    auto* widget = new QWidget;
    widget->setObjectName(QStringLiteral("positionRow"));
    widget->setProperty("position", QString::fromStdString(row.id.toString()));
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(useMark(row), 0, Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->setSpacing(1);
    text->addWidget(m_editing == row.id ? renameField(row) : nameLabel(row));
    text->addWidget(SettingsForm::footer(row.detail));
    layout->addLayout(text, 1);

    if (!row.active) {
        auto* use = new QPushButton(tr("Usar"));
        use->setAccessibleName(tr("Usar «%1»").arg(row.name));
        connect(use, &QPushButton::clicked, this, [this, id = row.id] { m_monitor.select(id); });
        layout->addWidget(use);
    }
    layout->addWidget(moreButton(row));
    return widget;
}

// The circle in front of a row: checked for the position in use, a click uses the others.
QToolButton* PositionsPage::useMark(const PositionsModel::Row& row) {
    auto* mark = new QToolButton;
    mark->setObjectName(QStringLiteral("mark"));
    mark->setAutoRaise(true);
    mark->setIconSize(QSize(markSize, markSize));
    mark->setIcon(row.active
                      ? SettingsIcons::mark(SettingsIcons::Mark::checkCircle,
                                            palette().color(QPalette::Highlight), markSize)
                      : SettingsIcons::mark(SettingsIcons::Mark::circle,
                                            palette().color(QPalette::PlaceholderText), markSize));
    mark->setToolTip(row.active ? tr("En uso") : tr("Usar"));
    mark->setAccessibleName(row.active ? tr("«%1» en uso").arg(row.name)
                                       : tr("Usar «%1»").arg(row.name));
    connect(mark, &QToolButton::clicked, this, [this, id = row.id] { m_monitor.select(id); });
    return mark;
}

QWidget* PositionsPage::nameLabel(const PositionsModel::Row& row) {
    auto* name = new QLabel(row.name);
    name->setTextFormat(Qt::PlainText);
    return name;
}

// The field of the row being renamed; it takes the keyboard once the page is laid out.
QWidget* PositionsPage::renameField(const PositionsModel::Row& row) {
    auto* field = new QLineEdit(m_draftName);
    field->setMaxLength(static_cast<int>(CalibrationBook::longestName));
    field->setPlaceholderText(tr("Nombre"));
    field->setAccessibleName(tr("Nuevo nombre de «%1»").arg(row.name));
    // Any change of the text counts, one made through assistive technology too.
    connect(field, &QLineEdit::textChanged, this,
            [this](const QString& draft) { m_draftName = draft; });
    connect(field, &QLineEdit::returnPressed, this, &PositionsPage::finishRenaming);
    QMetaObject::invokeMethod(field, qOverload<>(&QWidget::setFocus), Qt::QueuedConnection);
    return field;
}

// The "…" button at the end of a row, with its menu to rename or delete the position.
QToolButton* PositionsPage::moreButton(const PositionsModel::Row& row) {
    auto* more = new QToolButton;
    more->setObjectName(QStringLiteral("menu"));
    more->setAutoRaise(true);
    more->setIconSize(QSize(markSize, markSize));
    more->setIcon(SettingsIcons::mark(SettingsIcons::Mark::ellipsis,
                                      palette().color(QPalette::WindowText), markSize));
    more->setToolTip(tr("Más"));
    more->setAccessibleName(tr("Más opciones de «%1»").arg(row.name));
    auto* menu = new QMenu(more);
    connect(menu->addAction(tr("Cambiar el nombre")), &QAction::triggered, this,
            [this, id = row.id, name = row.name] { startRenaming(id, name); });
    connect(menu->addAction(tr("Borrar")), &QAction::triggered, this,
            [this, id = row.id] { m_monitor.remove(id); });
    connect(more, &QToolButton::clicked, menu,
            [more, menu] { menu->popup(more->mapToGlobal(QPoint(0, more->height()))); });
    return more;
}

void PositionsPage::startRenaming(const Uuid& id, const QString& name) {
    m_draftName = name;
    m_editing = id;
    rebuildRows();
}

void PositionsPage::finishRenaming() {
    if (!m_editing)
        return;
    const Uuid id = *m_editing;
    m_editing.reset();
    // A blank name changes nothing, and edit mode ends all the same.
    m_monitor.rename(id, m_draftName);
    rebuildRows();
    // The keyboard stays on the renamed row, on its menu button (shown on the next turn).
    const QString key = QString::fromStdString(id.toString());
    for (int i = 0; i < m_rows->count(); ++i) {
        QWidget* row = m_rows->itemAt(i)->widget();
        QToolButton* more = row && row->property("position").toString() == key
                                ? row->findChild<QToolButton*>(QStringLiteral("menu"))
                                : nullptr;
        if (more)
            QMetaObject::invokeMethod(more, qOverload<>(&QWidget::setFocus), Qt::QueuedConnection);
    }
}

} // namespace tisko
