// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/MenuBarPanel.h"

#include "Tisko/Interface/PanelButton.h"
#include "Tisko/Interface/PanelStyle.h"
#include "Tisko/Interface/ProminentButton.h"
#include "Tisko/Interface/TiskoColors.h"
#include "Tisko/System/NotificationPermission.h"
#include "Tisko/System/NotificationStatus.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tisko {

namespace {

// A hairline between sections.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent)
        : QWidget(parent) {
        setFixedHeight(1);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QColor line = palette().color(QPalette::WindowText);
        line.setAlphaF(0.15f);
        QPainter(this).fillRect(rect(), line);
    }
};

// The notification warning's band: orange at 8 % behind its content.
class WarningBand : public QWidget {
public:
    explicit WarningBand(QWidget* parent)
        : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QColor band = TiskoColors::warning(palette());
        band.setAlphaF(0.08f);
        QPainter(this).fillRect(rect(), band);
    }
};

// A filled warning triangle, drawn so it stays crisp at any scale.
class WarningSign : public QWidget {
public:
    explicit WarningSign(QWidget* parent)
        : QWidget(parent) {
        setFixedSize(14, 14);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath triangle;
        triangle.moveTo(7, 1);
        triangle.lineTo(13.5, 13);
        triangle.lineTo(0.5, 13);
        triangle.closeSubpath();
        painter.fillPath(triangle, TiskoColors::warning(palette()));
        painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(7, 5), QPointF(7, 8.6));
        painter.drawPoint(QPointF(7, 11));
    }
};

QLabel* label(const QString& text, const QFont& font, QWidget* parent, bool secondary = false) {
    auto* result = new QLabel(text, parent);
    result->setFont(font);
    result->setWordWrap(true);
    result->setTextFormat(Qt::PlainText);
    result->setAccessibleName(text);
    if (secondary) {
        QPalette palette = result->palette();
        QColor colour = palette.color(QPalette::WindowText);
        // Faded, yet 4.5:1 against the panel in both schemes.
        colour.setAlphaF(0.72f);
        palette.setColor(QPalette::WindowText, colour);
        result->setPalette(palette);
    }
    return result;
}

// Shortens the position's name in the middle of the buttons of one row that name it, so that
// the row fits in `width`; the whole title stays their accessible name.
void fitNames(const std::vector<QPushButton*>& buttons, const std::vector<PanelChoice>& choices,
              int width) {
    int used = 0;
    for (QPushButton* b : buttons)
        used += b->sizeHint().width();
    for (size_t i = 0; i < buttons.size() && used > width; ++i) {
        const QString& name = choices[i].positionName;
        const qsizetype at = name.isEmpty() ? -1 : choices[i].title.indexOf(name);
        if (at < 0)
            continue;
        QPushButton* b = buttons[i];
        const QFontMetrics metrics(b->font());
        const int nameWidth = metrics.horizontalAdvance(name);
        const int room =
            std::max(nameWidth - (used - width), metrics.horizontalAdvance(QStringLiteral("…")));
        QString title = choices[i].title;
        title.replace(at, name.size(), metrics.elidedText(name, Qt::ElideMiddle, room));
        used -= b->sizeHint().width();
        b->setText(title);
        used += b->sizeHint().width();
    }
}

QVBoxLayout* column(QWidget* owner, int horizontal, int vertical, int spacing = 0) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(horizontal, vertical, horizontal, vertical);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

namespace {

// Wayland places no window where a client asks, and a popup needs a parent window there: the
// panel is a frameless tool window that closes when it loses the focus instead.
Qt::WindowFlags panelFlags(bool popup) {
    if (!popup)
        return Qt::Widget;
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        return Qt::Tool | Qt::FramelessWindowHint;
    return Qt::Popup | Qt::FramelessWindowHint;
}

} // namespace

MenuBarPanel::MenuBarPanel(Monitor& monitor, VersionQuery availableVersion, bool popup,
                           QWidget* parent)
    : QWidget(parent, panelFlags(popup))
    , m_monitor(monitor)
    , m_availableVersion(std::move(availableVersion)) {
    setAccessibleName(QStringLiteral("Tisko"));
    setFixedWidth(PanelStyle::width);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    for (auto signal : {&Monitor::stateChanged, &Monitor::bookChanged, &Monitor::tallyChanged,
                        &Monitor::lastCheckChanged, &Monitor::lastVerdictChanged,
                        &Monitor::lastCheckSharedChanged, &Monitor::isLookingChanged,
                        &Monitor::airPodsConnectedChanged, &Monitor::referenceSuspectChanged})
        connect(&m_monitor, signal, this, &MenuBarPanel::scheduleRebuild);
    connect(&NotificationStatus::shared(), &NotificationStatus::stateChanged, this,
            &MenuBarPanel::scheduleRebuild);
    build();
}

void MenuBarPanel::scheduleRebuild() {
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    // A choice can change the Monitor from inside a button's click: the buttons are
    // replaced on the next turn, never under the click.
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_rebuildPending) {
            m_rebuildPending = false;
            rebuild();
        }
    });
}

void MenuBarPanel::rebuild() {
    if (isVisible())
        build();
    else
        m_stale = true;
}

void MenuBarPanel::build() {
    m_rebuildPending = false;
    m_stale = false;
    const std::optional<QString> version = m_availableVersion ? m_availableVersion() : std::nullopt;
    m_content = PanelModel::build(
        PanelInputs::from(m_monitor, NotificationStatus::shared().state(), version));

    // Keep the keyboard on the same row across a rebuild, highlighted if it was.
    int focused = -1;
    bool highlighted = false;
    if (m_body) {
        // The panel's own focus child: a popup that the window system has not activated yet
        // still has one.
        const QList<QAbstractButton*> old = m_body->findChildren<QAbstractButton*>();
        for (int i = 0; i < old.size(); ++i) {
            if (old.at(i) == focusWidget()) {
                focused = i;
                auto* row = qobject_cast<PanelButton*>(old.at(i));
                highlighted = row && row->isHighlighted();
            }
        }
        m_body->hide();
        m_body->deleteLater();
    }
    m_body = buildContent();
    layout()->addWidget(m_body);
    m_body->show();
    // The layout caches its heights; the old content just went.
    layout()->invalidate();
    if (focused >= 0) {
        const QList<QAbstractButton*> now = m_body->findChildren<QAbstractButton*>();
        if (!now.isEmpty()) {
            QAbstractButton* target =
                now.at(std::min<int>(focused, static_cast<int>(now.size()) - 1));
            target->setFocus();
            if (auto* row = qobject_cast<PanelButton*>(target); row && highlighted)
                row->showFocus();
        }
    }
    fit();
}

QPushButton* MenuBarPanel::button(QWidget* parent, const PanelChoice& choice) {
    // Fusion would lighten the accent under white text: the main button paints its own.
    QPushButton* result = choice.prominent ? new ProminentButton(choice.title, parent)
                                           : new QPushButton(choice.title, parent);
    result->setFont(PanelStyle::menuDetail());
    result->setEnabled(choice.enabled);
    result->setAccessibleName(choice.title);
    result->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(result, &QPushButton::clicked, this, [this, choice] { choose(choice); });
    return result;
}

PanelButton* MenuBarPanel::row(QWidget* parent, const PanelChoice& choice) {
    auto* result = new PanelButton(choice.title, choice.checked, parent);
    result->setEnabled(choice.enabled);
    connect(result, &PanelButton::clicked, this, [this, choice] { choose(choice); });
    return result;
}

QWidget* MenuBarPanel::rows(QWidget* body, const std::vector<PanelChoice>& choices, int top,
                            int bottom) {
    auto* section = new QWidget(body);
    auto* layout = column(section, 0, 0);
    layout->setContentsMargins(0, top, 0, bottom);
    for (const PanelChoice& choice : choices)
        layout->addWidget(row(section, choice));
    return section;
}

// The band that says the notifications are off, with its button to turn them on.
QWidget* MenuBarPanel::notificationsSection(QWidget* body) {
    auto* band = new WarningBand(body);
    auto* layout = column(band, PanelStyle::horizontalPadding, 10, 8);
    auto* line = new QHBoxLayout();
    line->setSpacing(6);
    line->addWidget(new WarningSign(band), 0, Qt::AlignTop);
    QLabel* text = label(*m_content.notificationsWarning, PanelStyle::menuDetail(), band);
    // The sign keeps the orange; the text takes a shade of it that reads on the band.
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, TiskoColors::warningText(palette));
    text->setPalette(palette);
    line->addWidget(text, 1);
    layout->addLayout(line);
    layout->addWidget(button(band, *m_content.notificationsButton), 0, Qt::AlignLeft);
    return band;
}

// The state in large type, its detail under it and the state's own button.
QWidget* MenuBarPanel::statusSection(QWidget* body) {
    auto* status = new QWidget(body);
    auto* layout = column(status, PanelStyle::horizontalPadding, 12, 8);
    auto* headline = new QVBoxLayout();
    headline->setSpacing(2);
    headline->addWidget(label(m_content.status.title, PanelStyle::menuProminent(), status));
    headline->addWidget(label(m_content.status.detail, PanelStyle::menuDetail(), status, true));
    layout->addLayout(headline);
    if (m_content.statusButton)
        layout->addWidget(button(status, *m_content.statusButton), 0, Qt::AlignLeft);
    return status;
}

// The hint that the active position no longer fits, with its buttons side by side.
QWidget* MenuBarPanel::hintSection(QWidget* body) {
    auto* hint = new QWidget(body);
    auto* layout = column(hint, PanelStyle::horizontalPadding, 10, 8);
    layout->addWidget(label(*m_content.hint, PanelStyle::menuDetail(), hint));
    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(8);
    std::vector<QPushButton*> made;
    for (const PanelChoice& choice : m_content.hintButtons) {
        QPushButton* b = button(hint, choice);
        if (choice.action == PanelAction::dismissHint)
            b->setFlat(true);
        buttons->addWidget(b);
        made.push_back(b);
    }
    fitNames(made, m_content.hintButtons,
             PanelStyle::width - 2 * PanelStyle::horizontalPadding - buttons->spacing());
    buttons->addStretch();
    layout->addLayout(buttons);
    return hint;
}

// The positions under their small header, the active one checked.
QWidget* MenuBarPanel::positionsSection(QWidget* body) {
    auto* positions = new QWidget(body);
    auto* layout = column(positions, 0, 0);
    layout->setContentsMargins(0, 0, 0, 4);
    QLabel* header = label(tr("Posición"), PanelStyle::menuDetail(), positions, true);
    header->setContentsMargins(PanelStyle::horizontalPadding, 6, PanelStyle::horizontalPadding, 2);
    layout->addWidget(header);
    for (const PanelChoice& choice : m_content.positions)
        layout->addWidget(row(positions, choice));
    return positions;
}

QWidget* MenuBarPanel::buildContent() {
    auto* body = new QWidget(this);
    auto* stack = new QVBoxLayout(body);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    // Each section, in the order the keyboard goes through them, with a line under it.
    const auto add = [&](QWidget* section, bool divided = true) {
        stack->addWidget(section);
        if (divided)
            stack->addWidget(new Divider(body));
    };
    if (m_content.update) {
        QWidget* section = rows(body, {*m_content.update}, 4, 4);
        section->findChild<PanelButton*>()->setSemibold(true);
        add(section);
    }
    if (m_content.notificationsWarning)
        add(notificationsSection(body));
    add(statusSection(body));
    if (m_content.hint)
        add(hintSection(body));
    if (!m_content.positions.empty())
        add(positionsSection(body));
    add(rows(body, m_content.pauseRows, 4, 4));
    add(rows(body, m_content.footer, 4, 4), false);
    return body;
}

int MenuBarPanel::contentHeight() const {
    QLayout* outer = layout();
    return outer->hasHeightForWidth() ? outer->totalHeightForWidth(PanelStyle::width)
                                      : outer->totalSizeHint().height();
}

void MenuBarPanel::fit() {
    const int wanted = contentHeight();
    if (wanted <= 0 || std::abs(height() - wanted) <= 0)
        return;
    // resize() keeps the top-left corner where it is, so the top edge stays put.
    setFixedHeight(wanted);
}

void MenuBarPanel::popUp(const QRect& iconGeometry) {
    build();
    const QPoint anchor = iconGeometry.isValid() ? iconGeometry.center() : QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect free = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 14, 1 << 14);
    const int height = contentHeight();
    int x = anchor.x() - PanelStyle::width / 2;
    int y = iconGeometry.isValid() ? iconGeometry.bottom() + 1 : anchor.y();
    // A tray at the bottom of the screen opens the panel above the icon.
    if (y + height > free.bottom())
        y = (iconGeometry.isValid() ? iconGeometry.top() : anchor.y()) - height;
    x = std::clamp(x, free.left(), std::max(free.left(), free.right() - PanelStyle::width + 1));
    y = std::clamp(y, free.top(), std::max(free.top(), free.bottom() - height + 1));
    move(x, y);
    show();
    raise();
    activateWindow();
    focusFirst();
}

void MenuBarPanel::focusFirst() {
    if (QAbstractButton* first = m_body ? m_body->findChild<QAbstractButton*>() : nullptr)
        first->setFocus(Qt::PopupFocusReason);
}

bool MenuBarPanel::isPopup() const {
    return windowType() == Qt::Popup || windowType() == Qt::Tool;
}

void MenuBarPanel::choose(const PanelChoice& choice) {
    if (closesPanel(choice.action) && isPopup())
        close();
    switch (choice.action) {
    case PanelAction::update:
        Q_EMIT updateCheckRequested();
        break;
    case PanelAction::enableNotifications:
        Q_EMIT notificationSettingsRequested();
        break;
    case PanelAction::lookNow:
        m_monitor.look(Monitor::Trigger::manual);
        break;
    case PanelAction::newPosition:
        Q_EMIT newPositionRequested();
        break;
    case PanelAction::openSettings:
        Q_EMIT settingsRequested();
        break;
    case PanelAction::resavePosition:
        Q_EMIT resaveRequested(choice.positionName);
        break;
    case PanelAction::dismissHint:
        m_monitor.dismissReferenceSuspect();
        break;
    case PanelAction::selectPosition:
        if (choice.position)
            m_monitor.select(*choice.position);
        break;
    case PanelAction::resume:
        m_monitor.setPause(std::nullopt);
        break;
    case PanelAction::pauseHour:
        m_monitor.setPause(addSeconds(m_monitor.now(), 3600));
        break;
    case PanelAction::pauseTomorrow:
        m_monitor.pauseUntilTomorrow();
        break;
    case PanelAction::quit:
        Q_EMIT quitRequested();
        break;
    }
}

void MenuBarPanel::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!isPopup())
        return;
    // A hairline around the window keeps it apart from what lies behind it.
    QPainter painter(this);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.25f);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MenuBarPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // What changed while the panel was hidden.
    if (m_stale)
        build();
    m_monitor.refreshState();
    NotificationPermission::refresh();
    fit();
}

void MenuBarPanel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Q_EMIT closed();
}

void MenuBarPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isWindow() && !(windowFlags() & Qt::Popup) &&
        isVisible() && !isActiveWindow() && windowFlags().testFlag(Qt::Tool))
        close();
}

void MenuBarPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Down:
    case Qt::Key_Up:
        // The first key shows the row the panel opened on; the next ones move.
        if (auto* row = qobject_cast<PanelButton*>(focusWidget()); row && !row->isHighlighted()) {
            row->showFocus();
            return;
        }
        if (!focusWidget()) {
            if (auto* first = m_body ? m_body->findChild<QAbstractButton*>() : nullptr)
                first->setFocus(Qt::TabFocusReason);
            return;
        }
        focusNextPrevChild(event->key() == Qt::Key_Down);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace tisko
