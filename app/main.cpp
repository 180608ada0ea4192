// Program entry: one main window, run until it closes.
#include "app/EkFunctions.h"
#include "app/Globl.h"
#include "app/Unit1.h"

#include <QApplication>
#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The application name only: a display name would be appended to every window caption.
    QApplication::setApplicationName(gProductName);
    QApplication::setApplicationVersion(VELQUIN_VERSION);
    platform::installModelMessageBoxes();
    try {
        TForm1 form(QApplication::arguments().mid(1));
        form.show();
        QApplication::exec();
    } catch (const std::exception& e) {
        showError(gProductName, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showError(gProductName, QString());
    }
    return 0;
}
