// The about box: the logo, the program's name and version, links to the maker's web page and
// to a bug-report mail, and a check for a newer version on the maker's server.
//
// The box has no title bar, a thin frame of its own, and stays where it was shown. Clicking the name copies
// it to the clipboard; Ctrl+click on a link copies its address instead of opening it, and Ctrl+Shift+click on
// the mail link copies the address with the program's name and version.
#pragma once

#include "controls/Graphics.h"
#include "platform/core/TestSeam.h"

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QUrl>
#include <functional>

class QLabel;
class QPaintEvent;
class QPushButton;
class QShowEvent;
class QMoveEvent;
class QWidget;

class TInfoForm : public QDialog {
    Q_OBJECT

public:
    // `mainForm` (may be null) is the window the box is centred on; it does not own the box.
    explicit TInfoForm(QWidget* mainForm = nullptr);

    // The background gradient, top and bottom; 0xFFEBDE and 0xD8B4A3 until set.
    void setGradientColours(TColor first, TColor second);
    // The program's "FileVersion", known once the box is shown.
    QString version() const { return version_; }
    // The name panel's caption: the product name, a space and "ver. " + version (no version
    // text when the program has none).
    QString appNameCaption() const;

    // The about command: shows the box modally with the theme's first two colours, centred on
    // `mainForm`. A responder installed for tests gets the colours and nothing is shown.
    static void showAbout(TColor first, TColor second, QWidget* mainForm);
    using Responder = std::function<void(TColor first, TColor second)>;
    static inline platform::TestSeam<Responder> responder;

    // The thin frame drawn around the box, one pixel wide: the window palette's dark shade.
    QColor frameColour() const;

    // The logo: 500 x 200 pixels with alpha, drawn in code.
    static QImage logo();

    void PnlAppNameClick();
    void LbWebSiteClick();
    void LbEmailClick();
    // Asks the version server for the newest version and says what it found, each case in a
    // box of its own; the box stays open. The request runs in a local event loop that takes
    // no user input, so the box cannot be closed meanwhile; one deadline bounds the whole
    // exchange, redirects included. A reply over 64 KB, status line and headers counted, is
    // cut off at once: an error when its body had begun, of which an error box shows only the
    // first few hundred characters, else a failure to reach the server. The connection is
    // closed, and nothing of the check runs on, before any box shows. Yes to a newer version
    // opens the product's page in a browser; where none takes it, a box names the page.
    void ButCheckVersionClick();

    // Test seams: the version check's server (scheme, host and port), the maker's own unless
    // set; and how long the whole check may take, from the request to the last byte of the
    // reply, in milliseconds, 10 000 unless set.
    static inline platform::TestSeam<QUrl> versionServer;
    static inline platform::TestSeam<int> versionDeadline;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QLabel* addLink(QWidget* row, const char* name, const QString& before, const QString& link,
                    const QString& after, const QString& hint);
    QString versionText() const;

    QWidget* mainForm_;
    TColor first_ = 0xFFEBDE;
    TColor second_ = 0xD8B4A3;
    QString version_;
    bool mayMove_ = true;
    bool shown_ = false;
    QPoint pinned_;

    QWidget* PnlSurface = nullptr;
    QLabel* ImgLogo = nullptr;
    QLabel* PnlAppName = nullptr;
    QLabel* LbNotice = nullptr;
    QLabel* LbWebSite = nullptr;
    QLabel* LbEmail = nullptr;
    QPushButton* ButOk = nullptr;
    QPushButton* ButCheckVersion = nullptr;
};
