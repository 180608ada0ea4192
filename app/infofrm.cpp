#include "app/infofrm.h"

#include "app/EkFunctions.h"
#include "app/EkGlobals.h"
#include "app/Globl.h"
#include "app/GradientDialog.h"
#include "platform/gui/DesignScale.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"
#include "platform/gui/VersionInfo.h"
#include "platform/net/HttpGet.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kBorderWidth = 10;
constexpr int kSpace1Height = 12;
constexpr int kRowHeight = 28; // the name, the notice and the two link rows
constexpr int kSpace2Height = 16;
constexpr int kBottomHeight = 32;
constexpr int kCheckLeft = 110;
constexpr int kCheckWidth = 233;
constexpr int kOkWidth = 92;
constexpr int kFontHeight = 18;
constexpr int kNameFontHeight = 22;
// The client is this much wider than the logo (screen pixels, as the logo's own size).
constexpr int kLogoMargin = 40;
// The frame around the client, in screen pixels: the box has no title bar, and without a frame
// of its own it would have no edge against what lies behind it.
constexpr int kFrameWidth = 1;

constexpr int kLogoWidth = 500;
constexpr int kLogoHeight = 200;

const QString kReportAddress = QStringLiteral("bugs@tolvard.example");
const QString kResultCaption = QStringLiteral("Version Check Result");

constexpr int kVersionDeadlineMs = 10000;

// The version check's server: the maker's web server (its web page's address without its path)
// unless a test points it elsewhere.
QUrl versionServerUrl() {
    const QUrl& set = TInfoForm::versionServer.get();
    return set.isEmpty() ? QUrl(kMakerWebPage).adjusted(QUrl::RemovePath | QUrl::RemoveQuery) : set;
}

// While it lives, the message boxes belong to `owner`.
class MessageBoxOwnerScope {
public:
    explicit MessageBoxOwnerScope(QWidget* owner) : previous_(platform::messageBoxOwner()) {
        platform::setMessageBoxOwner(owner);
    }
    ~MessageBoxOwnerScope() { platform::setMessageBoxOwner(previous_); }
    MessageBoxOwnerScope(const MessageBoxOwnerScope&) = delete;
    MessageBoxOwnerScope& operator=(const MessageBoxOwnerScope&) = delete;

private:
    QPointer<QWidget> previous_;
};

QFont arial(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

// --- The logo -----------------------------------------------------------------------------------

QImage TInfoForm::logo() {
    QImage image(kLogoWidth, kLogoHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Logo space: 500 x 200, origin top left. A rounded card with a soft shadow below it.
    const QRectF card(12, 14, 472, 168);
    constexpr qreal kCardRadius = 26;
    for (int i = 6; i >= 1; --i) {
        // Shadow rings: alpha grows towards the card, 6 steps of 1 pixel.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 10));
        p.drawRoundedRect(card.translated(0, 4).adjusted(-i, -i, i, i), kCardRadius + i, kCardRadius + i);
    }
    QLinearGradient cardFill(card.topLeft(), card.bottomRight());
    cardFill.setColorAt(0, QColor(0x2B, 0x4F, 0x8E));
    cardFill.setColorAt(1, QColor(0x5F, 0x8F, 0xD0));
    p.setBrush(cardFill);
    p.drawRoundedRect(card, kCardRadius, kCardRadius);

    // The emblem on the card's left: a sheet with a folded corner holding an INI text.
    const QRectF sheet(40, 38, 104, 122);
    constexpr qreal kFold = 26;
    QPainterPath sheetPath;
    sheetPath.moveTo(sheet.topLeft());
    sheetPath.lineTo(sheet.right() - kFold, sheet.top());
    sheetPath.lineTo(sheet.right(), sheet.top() + kFold);
    sheetPath.lineTo(sheet.bottomRight());
    sheetPath.lineTo(sheet.bottomLeft());
    sheetPath.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawPath(sheetPath);
    QPainterPath foldPath;
    foldPath.moveTo(sheet.right() - kFold, sheet.top());
    foldPath.lineTo(sheet.right() - kFold, sheet.top() + kFold);
    foldPath.lineTo(sheet.right(), sheet.top() + kFold);
    foldPath.closeSubpath();
    p.setBrush(QColor(0xC9, 0xD8, 0xF0));
    p.drawPath(foldPath);

    // The text on the sheet: a section header in brackets, then name = value lines as bars.
    const QColor ink(0x2B, 0x4F, 0x8E);
    const QColor accent(0xD5, 0x6A, 0x1C);
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(54, 58, 50, 10), 3, 3);
    p.setPen(QPen(accent, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(52, 54), QPointF(48, 54), QPointF(48, 72), QPointF(52, 72)}));
    p.drawPolyline(QPolygonF({QPointF(106, 54), QPointF(110, 54), QPointF(110, 72), QPointF(106, 72)}));
    p.setPen(Qt::NoPen);
    const qreal nameWidths[] = {30, 22, 36, 26};
    const qreal valueWidths[] = {38, 46, 28, 40};
    for (int line = 0; line < 4; ++line) {
        // Line l sits at y = 86 + 18 l: name bar, "=" as two dots, value bar.
        const qreal y = 86 + 18 * line;
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(50, y, nameWidths[line], 7), 3, 3);
        p.setBrush(accent);
        const qreal eq = 50 + nameWidths[line] + 5;
        p.drawRect(QRectF(eq, y, 6, 2));
        p.drawRect(QRectF(eq, y + 5, 6, 2));
        p.setBrush(QColor(0x7A, 0x96, 0xC4));
        p.drawRoundedRect(QRectF(eq + 11, y, valueWidths[line], 7), 3, 3);
    }

    // The name and the line under it, on the card's right.
    p.setPen(Qt::white);
    p.setFont(arial(70, true));
    p.drawText(QRectF(170, 34, 300, 90), Qt::AlignLeft | Qt::AlignVCenter, kProductName);
    p.setPen(QColor(255, 255, 255, 200));
    p.setFont(arial(22));
    p.drawText(QRectF(174, 122, 300, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("INI file editor"));
    return image;
}

// --- The box ------------------------------------------------------------------------------------

TInfoForm::TInfoForm(QWidget* mainForm) : QDialog(nullptr), mainForm_(mainForm) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    buildControls();
    connect(ButOk, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(ButCheckVersion, &QPushButton::clicked, this, &TInfoForm::ButCheckVersionClick);
}

QLabel* TInfoForm::addLink(QWidget* row, const char* name, const QString& before, const QString& link,
                           const QString& after, const QString& hint) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* label = new QLabel(link, row);
    label->setObjectName(name);
    QFont underlined = font();
    underlined.setUnderline(true);
    label->setFont(underlined);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, toQColor(clHotLight));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(hint);
    label->installEventFilter(this);
    // Centred in its row: stretches on both sides of the three texts.
    layout->addStretch();
    layout->addWidget(new QLabel(before, row));
    layout->addWidget(label);
    layout->addWidget(new QLabel(after, row));
    layout->addStretch();
    return label;
}

void TInfoForm::buildControls() {
    const auto px = [this](int design) { return scaleFromDesign(design, this); };
    setFont(arial(px(kFontHeight)));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kFrameWidth, kFrameWidth, kFrameWidth, kFrameWidth);
    PnlSurface = new QWidget(this);
    outer->addWidget(PnlSurface);
    auto* column = new QVBoxLayout(PnlSurface);
    column->setSpacing(0);

    ImgLogo = new QLabel(PnlSurface);
    ImgLogo->setObjectName("ImgLogo");
    ImgLogo->setPixmap(QPixmap::fromImage(logo()));
    ImgLogo->setAlignment(Qt::AlignCenter);
    ImgLogo->setFixedHeight(kLogoHeight);
    column->addWidget(ImgLogo);
    column->addSpacing(px(kSpace1Height));

    PnlAppName = new QLabel(PnlSurface);
    PnlAppName->setObjectName("PnlAppName");
    PnlAppName->setFont(arial(px(kNameFontHeight), true));
    PnlAppName->setAlignment(Qt::AlignCenter);
    PnlAppName->setCursor(Qt::PointingHandCursor);
    PnlAppName->setToolTip(" Click to copy to Clipboard ");
    PnlAppName->installEventFilter(this);
    LbNotice = new QLabel(QStringLiteral("Keeps every line of your INI files, comments and all"), PnlSurface);
    LbNotice->setAlignment(Qt::AlignCenter);
    auto* PnlWeb = new QWidget(PnlSurface);
    LbWebSite = addLink(PnlWeb, "LbWebSite", "Visit:  ", " Tolvard software ", "  on the Web",
                        " Ctrl + Click to copy Web Address to clipboard ");
    auto* PnlMail = new QWidget(PnlSurface);
    LbEmail = addLink(PnlMail, "LbEmail", "Send a  ", " Bug Report ", "  to Tolvard Software",
                      " Ctrl + Click to copy Mail Address to clipboard ");
    for (QWidget* row :
         {static_cast<QWidget*>(PnlAppName), static_cast<QWidget*>(LbNotice), PnlWeb, PnlMail}) {
        row->setFixedHeight(px(kRowHeight));
        column->addWidget(row);
    }
    column->addSpacing(px(kSpace2Height));
    column->addStretch();

    auto* PnlBottom = new QWidget(PnlSurface);
    PnlBottom->setFixedHeight(px(kBottomHeight));
    auto* buttons = new QHBoxLayout(PnlBottom);
    buttons->setContentsMargins(0, 0, 0, 0);
    ButCheckVersion = new QPushButton(QStringLiteral("Check for newer Version"), PnlBottom);
    ButCheckVersion->setObjectName("ButCheckVersion");
    ButCheckVersion->setFixedSize(px(kCheckWidth), px(kBottomHeight));
    ButCheckVersion->setAutoDefault(false);
    ButOk = new QPushButton(QStringLiteral("OK"), PnlBottom);
    ButOk->setObjectName("ButOk");
    ButOk->setFixedSize(px(kOkWidth), px(kBottomHeight));
    ButOk->setDefault(true);
    buttons->addSpacing(px(kCheckLeft));
    buttons->addWidget(ButCheckVersion);
    buttons->addStretch();
    buttons->addWidget(ButOk);
    column->addWidget(PnlBottom);
}

void TInfoForm::setGradientColours(TColor first, TColor second) {
    first_ = first;
    second_ = second;
    update();
}

QString TInfoForm::versionText() const {
    return version_.isEmpty() ? QString() : "ver. " + version_;
}

QString TInfoForm::appNameCaption() const {
    return kProductName + kSpace + versionText();
}

void TInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    const int border = scaleFromDesign(kBorderWidth, this);
    PnlSurface->layout()->setContentsMargins(border, border, border, border);
    version_ = platform::getVersionInfoString(QCoreApplication::applicationFilePath(), "FileVersion");
    PnlAppName->setText(appNameCaption());

    const auto px = [this](int design) { return scaleFromDesign(design, this); };
    // Client: the logo and 40 beside it; the logo, the rows below it and the border twice.
    // The box: the client and the frame on each side.
    const int rows = px(kSpace1Height) + 4 * px(kRowHeight) + px(kSpace2Height) + px(kBottomHeight);
    setFixedSize(kLogoWidth + kLogoMargin + 2 * kFrameWidth,
                 kLogoHeight + rows + 2 * border + 2 * kFrameWidth);
    if (mainForm_) {
        const QRect main = mainForm_->frameGeometry();
        const int left = main.left() + (main.width() - width()) / 2;
        move(std::max(left, 0), main.top() + (main.height() - height()) / 2);
    }
    pinned_ = pos();
    mayMove_ = false;
    shown_ = true;
}

void TInfoForm::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    // The box stays where it was shown.
    if (!mayMove_ && shown_ && pos() != pinned_)
        move(pinned_);
}

void TInfoForm::paintEvent(QPaintEvent*) {
    paintVerticalGradient(this, first_, second_);
    QPainter painter(this);
    painter.setPen(QPen(frameColour(), kFrameWidth));
    // A 1-pixel pen on rect (0, 0, w - 1, h - 1) covers columns 0 and w - 1, rows 0 and h - 1.
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

QColor TInfoForm::frameColour() const {
    return palette().color(QPalette::Dark);
}

bool TInfoForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == PnlAppName)
            PnlAppNameClick();
        else if (watched == LbWebSite)
            LbWebSiteClick();
        else if (watched == LbEmail)
            LbEmailClick();
    }
    return QDialog::eventFilter(watched, event);
}

// --- Links --------------------------------------------------------------------------------------

void TInfoForm::PnlAppNameClick() {
    QGuiApplication::clipboard()->setText(PnlAppName->text());
}

void TInfoForm::LbWebSiteClick() {
    if (platform::isCtrlDown())
        QGuiApplication::clipboard()->setText(kMakerWebPage);
    else
        platform::openUrlInBrowser(kMakerWebPage);
}

void TInfoForm::LbEmailClick() {
    if (!platform::isCtrlDown()) {
        platform::openUrlInBrowser("Mailto:" + kReportAddress + "?subject=BugReport " + kProductName + "  " +
                                   versionText());
    } else if (platform::isShiftDown()) {
        QGuiApplication::clipboard()->setText(kReportAddress + "  " + kProductName + "  " + versionText());
    } else {
        QGuiApplication::clipboard()->setText(kReportAddress);
    }
}

// --- Version check ------------------------------------------------------------------------------

namespace {

// A version reply is a few bytes; one longer than this, headers included, is a foreign page or worse.
constexpr qsizetype kMaxReplyBytes = 64 * 1024;
// An error box shows no more of a reply than this many characters.
constexpr qsizetype kShownReplyChars = 300;

// The reply as an error box shows it: no more than its first characters, marked where it was cut.
QString shownReply(QString reply, bool cut) {
    if (reply.size() > kShownReplyChars) {
        reply.truncate(reply.at(kShownReplyChars - 1).isHighSurrogate() ? kShownReplyChars - 1
                                                                        : kShownReplyChars);
        cut = true;
    }
    return cut ? reply + QChar(0x2026) : reply;
}

} // namespace

void TInfoForm::ButCheckVersionClick() {
    QUrl url = versionServerUrl();
    url.setPath("/software/version.php");
    url.setQuery("stat=" + removeBlanks(kProductName));
    MessageBoxOwnerScope owner(this);
    platform::HttpGetLimits limits;
    limits.deadlineMs = TInfoForm::versionDeadline ? TInfoForm::versionDeadline.get() : kVersionDeadlineMs;
    limits.maxReplyBytes = kMaxReplyBytes;
    const platform::HttpGetReply fetched = platform::httpGet(url, {{"Accept-Charset", "utf-8"}}, limits);
    if (fetched.kind == platform::HttpGetReply::Kind::Failed) {
        platform::showErrorBox("Version Check Failed", "Could not get acces to the server ");
        return;
    }
    const bool tooLong = fetched.kind == platform::HttpGetReply::Kind::TooLong;
    const QString reply = QString::fromUtf8(fetched.body).trimmed();
    // An empty reply says nothing about a version: it is an error like a foreign page.
    const bool error =
        tooLong || reply.isEmpty() ||
        (reply != version_ && (reply.contains("wrong parameter") || reply.size() > version_.size() + 4));
    if (error) {
        platform::showErrorBox(
            "Version Check Error!",
            "An Error occurred during version check. \r\nPlease contact Tolvard Software with this "
            "info:\r\n" +
                shownReply(reply, tooLong) + "\r\nif it keeps happening.");
    } else if (reply == version_) {
        platform::showInfo(kResultCaption, "You have the latest version: " + reply);
    } else if (platform::askYesNo(kResultCaption, "There is a newer version " + reply +
                                                      "\r\navailable, do you want to download ?")) {
        QUrl page = versionServerUrl();
        page.setPath("/software/" + kProductName.toLower().remove('-') + ".php");
        const QString address = page.toString();
        if (!platform::openUrlInBrowser(address))
            platform::showError(kProductName, "Could not open the download page in a browser:\r\n" + address);
    }
}

// --- The about command --------------------------------------------------------------------------

void TInfoForm::showAbout(TColor first, TColor second, QWidget* mainForm) {
    if (responder) {
        responder(first, second);
        return;
    }
    TInfoForm box(mainForm);
    box.setGradientColours(first, second);
    box.exec();
}
