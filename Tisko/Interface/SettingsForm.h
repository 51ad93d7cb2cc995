// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <initializer_list>

class QFormLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QScrollArea;
class QVBoxLayout;
class QWidget;

namespace tisko {

// The pieces every settings page is built from, so that the four pages look alike: titled
// sections with aligned labels, small secondary footers, and a column that scrolls when
// the window is made smaller than its content.
class SettingsForm {
public:
    SettingsForm() = delete;

    // The page's column of sections, with the page margins.
    static QVBoxLayout* column(QWidget* page);
    // Adds a section box (titled unless `title` is empty) and, when `footer` is given, its
    // footer under it; returns the box.
    static QGroupBox* addSection(QVBoxLayout* column, const QString& title,
                                 QLabel* footer = nullptr);
    // A form inside `box` whose labels stand right-aligned beside their controls.
    static QFormLayout* form(QGroupBox* box);
    // Gives the forms of one page one label column, so their controls start at one x.
    static void alignFields(std::initializer_list<QFormLayout*> forms);
    // A column of controls inside `box`.
    static QVBoxLayout* stack(QGroupBox* box);
    // A wrapped footer text in the smaller secondary style.
    static QLabel* footer(const QString& text);
    // A label in the secondary text colour.
    static QLabel* secondary(const QString& text);
    // A frameless scroll area holding `page`, transparent to the window's background.
    static QScrollArea* scrolled(QWidget* page);
    // Empties `layout`; its widgets go on the next turn of the event loop, since one of
    // them may be the sender of the signal being handled.
    static void clear(QLayout* layout);
};

} // namespace tisko
