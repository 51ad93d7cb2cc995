// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/SettingsForm.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tisko {

namespace {

// Inside a section box, below its title.
const QMargins boxMargins(12, 6, 12, 6);

} // namespace

QVBoxLayout* SettingsForm::column(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(20, 8, 20, 8);
    column->setSpacing(10);
    return column;
}

QGroupBox* SettingsForm::addSection(QVBoxLayout* column, const QString& title, QLabel* footer) {
    auto* section = new QVBoxLayout;
    section->setSpacing(3);
    auto* box = new QGroupBox(title);
    section->addWidget(box);
    if (footer) {
        footer->setContentsMargins(6, 0, 6, 0);
        section->addWidget(footer);
    }
    column->addLayout(section);
    return box;
}

QFormLayout* SettingsForm::form(QGroupBox* box) {
    auto* form = new QFormLayout(box);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    form->setContentsMargins(boxMargins);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(4);
    return form;
}

void SettingsForm::alignFields(std::initializer_list<QFormLayout*> forms) {
    int widest = 0;
    for (QFormLayout* form : forms) {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole);
            if (item && item->widget())
                widest = std::max(widest, item->widget()->sizeHint().width());
        }
    }
    for (QFormLayout* form : forms) {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole);
            QWidget* label = item ? item->widget() : nullptr;
            // A row without a label gets an empty one, so its control stands in the column.
            if (!label && form->itemAt(row, QFormLayout::FieldRole)) {
                label = new QLabel;
                form->setWidget(row, QFormLayout::LabelRole, label);
            }
            if (label)
                label->setMinimumWidth(widest);
        }
    }
}

QVBoxLayout* SettingsForm::stack(QGroupBox* box) {
    auto* stack = new QVBoxLayout(box);
    stack->setContentsMargins(boxMargins);
    stack->setSpacing(4);
    return stack;
}

QLabel* SettingsForm::footer(const QString& text) {
    QLabel* label = secondary(text);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    return label;
}

QLabel* SettingsForm::secondary(const QString& text) {
    auto* label = new QLabel(text);
    // Footers name files, cameras and positions: text, never markup.
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}

QScrollArea* SettingsForm::scrolled(QWidget* page) {
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(page);
    return area;
}

void SettingsForm::clear(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

} // namespace tisko
