#include "Tisko/Interface/SettingsForm.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tisko {

QVBoxLayout* SettingsForm::column(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(20, 14, 20, 14);
    column->setSpacing(14);
    return column;
}

QGroupBox* SettingsForm::addSection(QVBoxLayout* column, const QString& title, QLabel* footer) {
    auto* section = new QVBoxLayout;
    section->setSpacing(4);
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
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(6);
    return form;
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

} // namespace tisko
