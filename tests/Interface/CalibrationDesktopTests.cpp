// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The recording window in the headless desktop: a sample camera of a photograph, a real
// click on "Tomar posición", and the position in the data file.
#include "../Monitor/MonitorHarness.h"
#include "EventLoop.h"

#include "Tisko/Camera/CameraLook.h"
#include "Tisko/Debug/DebugTools.h"
#include "Tisko/Interface/CalibrationModel.h"
#include "Tisko/Interface/CalibrationView.h"
#include "Tisko/Interface/CameraPreview.h"
#include "TiskoCore/JsonCodec.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tisko::test {
namespace {

using namespace std::chrono_literals;

const QString photo = QStringLiteral(TISKO_TEST_PHOTOS "/grace_hopper.jpg");

TEST(CalibrationWindow, aClickRecordsWhatALookMeasuresOnThePhotograph) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the headless desktop (tests/harness/run-headless)";
    if (!QFile::exists(photo))
        GTEST_SKIP() << "the test photographs are not fetched (tests/data/fetch-photos)";
    qputenv("TISKO_CAMERAS", photo.toLocal8Bit());
    const std::shared_ptr<void> unset(nullptr, [](void*) { qunsetenv("TISKO_CAMERAS"); });
    MonitorHarness harness;

    CalibrationModel::Services services = CalibrationModel::Services::forThisMachine();
    services.countdownStep = 50ms; // the camera's own time stays real
    services.finishDelay = 50ms;
    CalibrationModel model(harness.monitor(), std::nullopt, services);
    CalibrationView view(model, false);
    QObject::connect(&model, &CalibrationModel::finished, &view, &QWidget::close);
    view.resize(view.sizeHint());
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    ASSERT_TRUE(waitUntil([&] { return model.seesFace(); }, 30s)) << "the photograph's face";
    const auto buttons = view.findChildren<QPushButton*>();
    QPushButton* take = *std::find_if(buttons.begin(), buttons.end(), [](QPushButton* b) {
        return b->text() == QStringLiteral("Tomar posición");
    });
    ASSERT_TRUE(take->isEnabled());
    QTest::mouseClick(take, Qt::LeftButton);
    // The keyboard stays on the button, and the name can no longer change.
    EXPECT_EQ(QApplication::focusWidget(), take);
    EXPECT_TRUE(view.findChild<QLineEdit*>()->isReadOnly());
    // Saved, shown as saved, and the window goes.
    ASSERT_TRUE(waitUntil([&] { return !view.isVisible(); }, 30s))
        << model.phase().message().toStdString();
    EXPECT_FALSE(view.findChild<CameraPreview*>()->picture().isNull()) << "the last picture stays";

    const QByteArray file = harness.dataFile(QStringLiteral("posiciones.json"));
    const Calibration saved =
        JsonCodec<CalibrationBook>::decode(file.toStdString()).value().active().value();
    EXPECT_EQ(saved.name, "Casa");
    EXPECT_EQ(saved.cameraID, (QStringLiteral("file:") + photo).toStdString());

    // What `tisko --look` prints for the same camera.
    std::optional<LookResult> look;
    CameraLook::take(QStringLiteral("file:") + photo, Monitor::lookFrames, 20,
                     [&look](const LookResult& result) { look = result; });
    ASSERT_TRUE(waitUntil([&] { return look.has_value(); }, 30s));
    const QStringList lines = DebugTools::lookLines(*look, std::nullopt, {}, {});
    ASSERT_EQ(lines.size(), 6) << lines.join(u'\n').toStdString();
    const HeadMeasurement& r = saved.reference;
    const double recorded[] = {r.faceWidth, r.eyeDistance.value_or(-1), r.faceY, r.faceHeight};
    for (int i = 0; i < 4; ++i) {
        const QString field = lines[5].section(u' ', i, i); // "faceWidth=0.2812"
        EXPECT_NEAR(recorded[i], field.section(u'=', 1).toDouble(), 0.01) << field.toStdString();
    }
}

} // namespace
} // namespace tisko::test
