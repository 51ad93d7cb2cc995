// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Tisko/Interface/CameraPreview.h"

#include "Tisko/Camera/CameraSession.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tisko {

CameraPreview::CameraPreview(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CameraPreview::setSession(const std::shared_ptr<CameraSession>& session) {
    // The session before may be gone already: it is only forgotten.
    const int attachment = ++m_attachment;
    m_session = session;
    // Without a session the last picture stays, still (a saved position shows the face it
    // was taken from); a new session starts from black.
    if (session) {
        m_picture = QImage();
        session->setPreviewSize(pixelSize());
        session->setPreview(this, [this, attachment](const QImage& picture) {
            if (attachment == m_attachment)
                take(picture);
        });
    }
    update();
}

void CameraPreview::take(const QImage& picture) {
    m_picture = picture;
    update();
}

QSize CameraPreview::pixelSize() const {
    const qreal scale = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * scale)),
            static_cast<int>(std::lround(height() * scale))};
}

void CameraPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (const std::shared_ptr<CameraSession> session = m_session.lock())
        session->setPreviewSize(pixelSize());
}

void CameraPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, Qt::black);
    if (m_picture.isNull())
        return;
    // The part of the picture of the widget's shape, from its middle: pictures made for
    // this size are drawn one to one.
    const QSizeF box = QSizeF(size()) * devicePixelRatioF();
    QSizeF part = box.scaled(QSizeF(m_picture.size()), Qt::KeepAspectRatio);
    const QRectF source(
        QPointF((m_picture.width() - part.width()) / 2, (m_picture.height() - part.height()) / 2),
        part);
    painter.setClipPath(shape);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, part != box);
    painter.drawImage(QRectF(rect()), m_picture, source);
    if (m_picture.cacheKey() != m_paintedKey) {
        m_paintedKey = m_picture.cacheKey();
        ++m_shown;
    }
}

} // namespace tisko
