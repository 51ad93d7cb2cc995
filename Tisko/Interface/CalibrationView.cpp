// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/CalibrationView.h"

#include "Tisko/Camera/CameraSession.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CameraPreview.h"
#include "Tisko/Interface/ProminentButton.h"
#include "TiskoCore/CalibrationBook.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGraphicsDropShadowEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include <algorithm>

// The interface's pictures are compiled into its static library, which must register them.
static void registerInterfaceResources() {
    Q_INIT_RESOURCE(Interface);
}

namespace tisko {

namespace {

// Sizes of the layout, in pixels at 1x.
constexpr int padding = 20;
constexpr int spacing = 16;
constexpr int previewHeight = 270;
constexpr int rowSpacing = 8;
constexpr int nameWidth = 200;
constexpr int pickerWidth = 180;
constexpr int overlayInset = 10;

// A font `ratio` times the size of `base` (the Parts' sizes are relative to a 13 body).
QFont scaled(QFont base, double ratio, QFont::Weight weight) {
    if (base.pointSizeF() > 0)
        base.setPointSizeF(base.pointSizeF() * ratio);
    else
        base.setPixelSize(static_cast<int>(base.pixelSize() * ratio));
    base.setWeight(weight);
    return base;
}

// The phase's badge on the camera picture: an icon and a text, white, on translucent black
// in a capsule. A long text wraps inside the picture's width.
class Badge : public QWidget {
public:
    explicit Badge(QWidget* parent)
        : QWidget(parent) {
        setFont(scaled(font(), 12.0 / 13.0, QFont::Medium));
        QSizePolicy policy(QSizePolicy::Maximum, QSizePolicy::Maximum);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void showOverlay(const QString& text, const QString& icon) {
        if (text == m_text && icon == m_iconName)
            return;
        m_text = text;
        m_iconName = icon;
        if (!icon.isEmpty())
            m_icon.load(QStringLiteral(":/tisko/%1.svg").arg(icon));
        setAccessibleName(text);
        updateGeometry();
        update();
    }

    QSize sizeHint() const override {
        const int width = chrome() + fontMetrics().horizontalAdvance(m_text) + 1;
        return {width, heightForWidth(width)};
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        return std::max(textRect(width).height(), iconSize()) + 2 * vertical;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal radius = std::min(height() / 2.0, 14.0);
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(rect()), radius, radius);
        painter.fillPath(capsule, QColor(0, 0, 0, 140)); // black at 55 %
        const int line = fontMetrics().height();
        const int iconTop = vertical + (line - iconSize()) / 2;
        m_icon.render(&painter, QRectF(horizontal, iconTop, iconSize(), iconSize()));
        painter.setPen(Qt::white);
        painter.drawText(textRect(width()).translated(horizontal + iconSize() + gap, vertical),
                         Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_text);
    }

private:
    static constexpr int horizontal = 10;
    static constexpr int vertical = 6;
    static constexpr int gap = 6;

    int iconSize() const { return fontMetrics().ascent() + 2; }
    int chrome() const { return 2 * horizontal + iconSize() + gap; }
    QRect textRect(int width) const {
        return fontMetrics().boundingRect(QRect(0, 0, std::max(width - chrome(), 1), 10000),
                                          Qt::TextWordWrap | Qt::AlignLeft, m_text);
    }

    QString m_text;
    QString m_iconName;
    QSvgRenderer m_icon;
};

// Assistive technology sees the view as the window it is when it stands alone.
QAccessibleInterface* windowAccessible(const QString& key, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (key == QLatin1String(CalibrationView::staticMetaObject.className()) && widget &&
        widget->isWindow())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

CalibrationView::CalibrationView(CalibrationModel& model, bool renderingWithoutCamera,
                                 QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_renderingWithoutCamera(renderingWithoutCamera) {
    registerInterfaceResources();
    static const bool accessibleAsWindow = [] {
        QAccessible::installFactory(windowAccessible);
        return true;
    }();
    Q_UNUSED(accessibleAsWindow);
    setFixedWidth(contentWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(spacing);

    column->addLayout(buildHeader());
    column->addWidget(buildPreview());
    column->addLayout(buildControls());
    connectControls();
    showName();
    showCamera();
    showPhase();
    // A window of one size, without a maximise button, as high as its content.
    if (isWindow())
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    setFixedHeight(sizeHint().height());
}

QVBoxLayout* CalibrationView::buildHeader() {
    auto* header = new QVBoxLayout;
    header->setSpacing(4);
    auto* title = new QLabel(CalibrationModel::title(), this);
    title->setFont(scaled(font(), 17.0 / 13.0, QFont::DemiBold));
    auto* instructions = new QLabel(CalibrationModel::instructions(), this);
    instructions->setWordWrap(true);
    instructions->setForegroundRole(QPalette::PlaceholderText);
    header->addWidget(title);
    header->addWidget(instructions);
    return header;
}

CameraPreview* CalibrationView::buildPreview() {
    m_preview = new CameraPreview(this);
    m_preview->setFixedHeight(previewHeight);
    auto* overlay = new QGridLayout(m_preview);
    overlay->setContentsMargins(overlayInset, overlayInset, overlayInset, overlayInset);
    auto* badge = new Badge(m_preview);
    m_badge = badge;
    overlay->addWidget(badge, 0, 0, Qt::AlignLeft | Qt::AlignBottom);
    m_countdown = new QLabel(m_preview);
    QFont big = font();
    big.setPixelSize(72);
    big.setWeight(QFont::DemiBold);
    m_countdown->setFont(big);
    QPalette white = m_countdown->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_countdown->setPalette(white);
    auto* shadow = new QGraphicsDropShadowEffect(m_countdown);
    shadow->setBlurRadius(16);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(0, 0, 0, 84)); // black at 33 %
    m_countdown->setGraphicsEffect(shadow);
    overlay->addWidget(m_countdown, 0, 0, Qt::AlignCenter);
    return m_preview;
}

QHBoxLayout* CalibrationView::buildControls() {
    auto* row = new QHBoxLayout;
    row->setSpacing(rowSpacing);
    m_name = new QLineEdit(this);
    m_name->setPlaceholderText(CalibrationModel::nameLabel());
    m_name->setAccessibleName(CalibrationModel::nameLabel());
    m_name->setMaximumWidth(nameWidth);
    m_name->setMaxLength(static_cast<int>(CalibrationBook::longestName));
    row->addWidget(m_name, 1);
    if (m_model.cameras().size() >= 2) {
        m_picker = new QComboBox(this);
        m_picker->setAccessibleName(CalibrationModel::cameraLabel());
        m_picker->setMaximumWidth(pickerWidth);
        for (const CameraDevice& camera : m_model.cameras())
            m_picker->addItem(camera.localizedName, camera.uniqueID);
        row->addWidget(m_picker, 1);
        // Any way of choosing counts, a screen reader's too; showCamera() blocks its own.
        connect(m_picker, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index >= 0)
                m_model.chooseCamera(m_picker->itemData(index).toString());
        });
    }
    row->addStretch(0);
    m_cancel = new QPushButton(CalibrationModel::cancelLabel(), this);
    m_cancel->setAutoDefault(false);
    row->addWidget(m_cancel);
    m_action = new ProminentButton(QString(), this);
    m_action->setAutoDefault(false);
    row->addWidget(m_action);
    return row;
}

// The controls and the keys to the model, and the model's changes back to the window.
void CalibrationView::connectControls() {
    connect(m_cancel, &QPushButton::clicked, this, &CalibrationView::cancelled);
    connect(m_action, &QPushButton::clicked, &m_model, &CalibrationModel::act);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &CalibrationView::cancelled);
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        new QShortcut(QKeySequence(key), this, [this] {
            if (m_model.actionEnabled())
                m_model.act();
        });
    }
    connect(m_name, &QLineEdit::textChanged, &m_model, &CalibrationModel::setName);

    connect(&m_model, &CalibrationModel::phaseChanged, this, &CalibrationView::showPhase);
    connect(&m_model, &CalibrationModel::seesFaceChanged, this, &CalibrationView::showPhase);
    connect(&m_model, &CalibrationModel::cameraChanged, this, &CalibrationView::showCamera);
    connect(&m_model, &CalibrationModel::cameraIDChanged, this, &CalibrationView::showCamera);
    connect(&m_model, &CalibrationModel::nameChanged, this, &CalibrationView::showName);
}

QSize CalibrationView::sizeHint() const {
    return {contentWidth, layout()->totalHeightForWidth(contentWidth)};
}

void CalibrationView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_renderingWithoutCamera || m_opened)
        return;
    m_opened = true;
    m_model.open();
}

void CalibrationView::closeEvent(QCloseEvent* event) {
    m_model.stopCamera();
    QWidget::closeEvent(event);
}

void CalibrationView::showPhase() {
    const CalibrationModel::Overlay overlay = m_model.overlay();
    static_cast<Badge*>(m_badge)->showOverlay(overlay.text, overlay.icon);
    m_badge->setVisible(!overlay.countdown);
    m_countdown->setText(overlay.countdown ? overlay.text : QString());
    m_countdown->setVisible(overlay.countdown);
    m_action->setText(m_model.actionLabel());
    // Inactive rather than disabled: the keyboard focus stays on it through the recording.
    m_action->setActive(m_model.actionEnabled());
    m_cancel->setVisible(m_model.cancelShown());
    const CalibrationModel::Phase::Kind kind = m_model.phase().kind();
    using Kind = CalibrationModel::Phase::Kind;
    m_name->setReadOnly(kind == Kind::countdown || kind == Kind::measuring || kind == Kind::done);
    announce(overlay.text);
    if (m_picker)
        m_picker->setEnabled(m_model.cameraChoiceEnabled());
}

void CalibrationView::showCamera() {
    CameraSession* camera = m_model.camera();
    m_preview->setSession(camera ? camera->shared_from_this() : nullptr);
    if (!m_picker)
        return;
    const int index = m_model.cameraID() ? m_picker->findData(*m_model.cameraID()) : -1;
    if (index >= 0) {
        const QSignalBlocker blocker(m_picker);
        m_picker->setCurrentIndex(index);
    }
}

void CalibrationView::showName() {
    if (m_name->text() == m_model.name())
        return;
    m_name->setText(m_model.name());
    m_name->setCursorPosition(0);
}

void CalibrationView::announce(const QString& text) {
    if (text == m_announced)
        return;
    m_announced = text;
    // The focus stays on the action button, so a screen reader reads what changes on it; the
    // badge tells the change as an alert too.
    m_action->setAccessibleDescription(text);
    if (QAccessible::isActive()) {
        QAccessibleEvent alert(m_badge, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

} // namespace tisko
