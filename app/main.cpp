// Program entry: one main window, run until it closes.
#include "app/Globl.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/VersionInfo.h"

#include <QApplication>
#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application name only: a display name would be appended to every window caption.
    QApplication::setApplicationName(kProductName);
    QApplication::setApplicationVersion(platform::compiledFileVersion());
    platform::installModelMessageBoxes();
    try {
        TForm1 form(QApplication::arguments().mid(1));
        form.show();
        QApplication::exec();
    } catch (const std::exception& e) {
        platform::showError(kProductName, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        platform::showError(kProductName, QString());
    }
    return 0;
}
