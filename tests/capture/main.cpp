#include <gtest/gtest.h>

#include <QCoreApplication>

// The capture posts its buffers to QObjects, so the tests run with an application object.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
