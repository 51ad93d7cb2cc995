#pragma once

#include <QAbstractButton>

#include <optional>

namespace tisko {

// One full-width row of the tray panel that behaves like a menu item: an optional check
// column (kept when unchecked so titles stay aligned), the title, a hover and focus
// highlight, and Return or Space to choose it.
class PanelButton : public QAbstractButton {
    Q_OBJECT
public:
    PanelButton(const QString& title, std::optional<bool> checked, QWidget* parent = nullptr);

    // Absent: no check column; present: the column, with the mark when true.
    std::optional<bool> checkMark() const { return m_checked; }
    // Whether the pointer is over the row.
    bool isHovering() const { return m_hovering; }
    // A bolder title (the update row).
    void setSemibold(bool semibold);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::optional<bool> m_checked;
    bool m_hovering = false;
};

} // namespace tisko
