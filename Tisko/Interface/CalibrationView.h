// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace tisko {

class CalibrationModel;
class CameraPreview;
class ProminentButton;

// The recording window's content, 480 pixels wide: the header, the live camera picture
// with the phase on it, the name, the camera picker when there is a choice, and the
// buttons. It shows the model and forwards the clicks; the model decides everything.
class CalibrationView : public QWidget {
    Q_OBJECT
public:
    // Shown, the view opens the camera unless `renderingWithoutCamera` (pictures of the
    // window) says not to.
    CalibrationView(CalibrationModel& model, bool renderingWithoutCamera,
                    QWidget* parent = nullptr);

    // The content's width.
    static constexpr int contentWidth = 480;
    // 480 wide and as high as the wrapped texts need.
    QSize sizeHint() const override;

Q_SIGNALS:
    // "Cancelar" or Escape.
    void cancelled();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The window's parts from top to bottom: the title and instructions, the camera picture
    // with the phase over it, and the name, camera and buttons.
    QVBoxLayout* buildHeader();
    CameraPreview* buildPreview();
    QHBoxLayout* buildControls();
    void connectControls();
    void showPhase();
    void showCamera();
    void showName();
    // Tells assistive technology the phase's text once per change.
    void announce(const QString& text);

    CalibrationModel& m_model;
    const bool m_renderingWithoutCamera;
    bool m_opened = false;
    CameraPreview* m_preview = nullptr;
    QWidget* m_badge = nullptr;
    QLabel* m_countdown = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_picker = nullptr;
    QPushButton* m_cancel = nullptr;
    ProminentButton* m_action = nullptr;
    QString m_announced;
};

} // namespace tisko
