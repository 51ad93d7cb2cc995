// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

namespace tisko {

class CameraSession;

// The live picture of a camera session, mirrored and filling the widget (cut to its shape,
// never squeezed), in a black rectangle with rounded corners; black until a session's first
// picture, and still on the last one once the session is taken away.
class CameraPreview : public QWidget {
    Q_OBJECT
public:
    explicit CameraPreview(QWidget* parent = nullptr);

    // Shows the pictures of `session`, or keeps the last one still when it is null; attach a
    // session before it starts. Pictures of a session shown before are ignored from now on.
    void setSession(const std::shared_ptr<CameraSession>& session);
    // The picture shown now; null when there is none.
    const QImage& picture() const { return m_picture; }
    // Different pictures painted since the widget was made.
    int picturesShown() const { return m_shown; }

    // Corner radius of the black rectangle.
    static constexpr qreal cornerRadius = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void take(const QImage& picture);
    QSize pixelSize() const;

    std::weak_ptr<CameraSession> m_session;
    int m_attachment = 0;
    QImage m_picture;
    qint64 m_paintedKey = 0;
    int m_shown = 0;
};

} // namespace tisko
