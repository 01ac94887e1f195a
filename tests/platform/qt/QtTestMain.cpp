// The Qt toolkit tests run on the offscreen platform: no X server needed.

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/FontSubstitution.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    skyroll::qt::installFontSubstitutions();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
