#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef VELQUIN_TEST_MESSAGE_BOXES
#include "platform/gui/MessageBoxes.h"
#endif

// Each test starts with settings of its own, in a folder of this test process: tests never
// touch the user's settings, nor each other's when ctest runs them in parallel.
struct FreshSettings : ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           root.filePath(QString::number(++count)));
    }
    QTemporaryDir root;
    int count = 0;
};

int main(int argc, char** argv) {
    // Tests never need a display; test discovery at build time runs this program too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
#ifdef VELQUIN_TEST_MESSAGE_BOXES
    // A box that a test did not expect must fail that test at once rather than wait, unseen,
    // for an answer until the test times out.
    platform::messageBoxResponder.exchange([](const QString& caption, const QString& text,
                                              platform::MessageBoxKind) {
        ADD_FAILURE() << "unexpected message box: " << caption.toStdString() << ": " << text.toStdString();
        return int(platform::IdCancel);
    });
#endif
    return RUN_ALL_TESTS();
}
