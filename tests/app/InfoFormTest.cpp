// The about box: its links, its place, and the version check against a local HTTP server.
#include "app/EkGlobals.h"
#include "app/ShortcutFrm.h"
#include "app/Unit1.h"
#include "app/infofrm.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

using platform::MessageBoxKind;

namespace {

// Answers every request with `response`, or never when it is empty; keeps the requests.
class LocalServer {
public:
    explicit LocalServer(QByteArray response) : response_(std::move(response)) {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request += socket->readAll();
                if (request.contains("\r\n\r\n") && !response_.isEmpty()) {
                    socket->write(response_);
                    socket->disconnectFromHost();
                }
            });
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort())); }
    QByteArray request;

private:
    QTcpServer server_;
    QByteArray response_;
};

QByteArray httpReply(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

class InfoFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousOpener = platform::setUrlOpener([this](const QString& url) {
            opened << url;
            return true;
        });
        box.show();
        version = box.version();
        ASSERT_FALSE(version.isEmpty());
    }
    void TearDown() override { platform::setUrlOpener(previousOpener); }

    TInfoForm box;
    QString version;
    QStringList opened;
    platform::UrlOpener previousOpener;
    platform::ScopedMessageBoxResponder boxes{platform::IdYes};
};

TEST_F(InfoFormTest, EveryReplyHasItsOwnBox) {
    const QString errorText = "An Error occurred during version check. \r\nPlease contact Tolvard Software "
                              "with this info:\r\n%1\r\nif it keeps happening.";
    const QString failed = "Could not get acces to the server ";
    struct Row {
        const char* name;
        QByteArray response; // empty: the server never answers
        MessageBoxKind kind;
        QString caption;
        QString text;
    };
    const QByteArray v = version.toUtf8();
    const Row rows[] = {
        {"latest", httpReply(200, "  " + v + "\r\n"), MessageBoxKind::Info, "Version Check Result",
         "You have the latest version: " + version},
        {"newer", httpReply(200, "9.9.9"), MessageBoxKind::YesNo, "Version Check Result",
         "There is a newer version 9.9.9\r\navailable, do you want to download ?"},
        {"foreign page", httpReply(200, v + "<html>"), MessageBoxKind::ErrorBox, "Version Check Error!",
         errorText.arg(version + "<html>")},
        {"wrong parameter", httpReply(200, "wrong parameter"), MessageBoxKind::ErrorBox,
         "Version Check Error!", errorText.arg("wrong parameter")},
        {"empty", httpReply(200, " \r\n"), MessageBoxKind::ErrorBox, "Version Check Error!",
         errorText.arg("")},
        {"http error", httpReply(404, v), MessageBoxKind::ErrorBox, "Version Check Failed", failed},
        {"no answer", {}, MessageBoxKind::ErrorBox, "Version Check Failed", failed},
    };
    const TInfoForm::Timeouts previousTimeouts = TInfoForm::setVersionTimeouts({2000, 300});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        LocalServer server(row.response);
        const QUrl previousServer = TInfoForm::setVersionServer(server.url());
        box.ButCheckVersionClick();
        TInfoForm::setVersionServer(previousServer);
        EXPECT_TRUE(server.request.startsWith("GET /software/version.php?stat=Velquin HTTP/1.1\r\n"));
        EXPECT_FALSE(server.request.contains("Cookie"));
        ASSERT_EQ(boxes.records.size(), 1);
        EXPECT_EQ(boxes.records[0].kind, row.kind);
        EXPECT_EQ(boxes.records[0].caption, row.caption);
        EXPECT_EQ(boxes.records[0].text, row.text);
        EXPECT_TRUE(box.isVisible());
    }
    TInfoForm::setVersionTimeouts(previousTimeouts);
    // Yes to the newer version opens the product's page on the same server.
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith("http://127.0.0.1:") && opened[0].endsWith("/software/velquin.php"));
}

TEST_F(InfoFormTest, LinksOpenOrCopyWithCtrlAndShift) {
    struct Row {
        const char* label;
        Qt::KeyboardModifiers keys;
        QString clipboard; // empty: the address is opened instead
        QString opened;
    };
    const QString mail = "bugs@tolvard.example";
    const Row rows[] = {
        {"PnlAppName", {}, "Velquin ver. " + version, {}},
        {"LbWebSite", {}, {}, gMakerWebPage},
        {"LbWebSite", Qt::ControlModifier, gMakerWebPage, {}},
        {"LbEmail", {}, {}, "Mailto:" + mail + "?subject=BugReport Velquin  ver. " + version},
        {"LbEmail", Qt::ControlModifier, mail, {}},
        {"LbEmail", Qt::ControlModifier | Qt::ShiftModifier, mail + "  Velquin  ver. " + version, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        opened.clear();
        QGuiApplication::clipboard()->setText("before");
        const platform::KeyStateProbe previous = platform::setKeyStateProbe([&row] { return row.keys; });
        QTest::mouseClick(box.findChild<QLabel*>(row.label), Qt::LeftButton);
        platform::setKeyStateProbe(previous);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), row.clipboard.isEmpty() ? "before" : row.clipboard);
        EXPECT_EQ(opened, row.opened.isEmpty() ? QStringList() : QStringList{row.opened});
    }
}

TEST_F(InfoFormTest, StaysWhereItWasShown) {
    const QPoint shownAt = box.pos();
    box.move(shownAt + QPoint(40, 30));
    EXPECT_EQ(box.pos(), shownAt);
    EXPECT_EQ(box.width(), TInfoForm::logo().width() + 40);
    EXPECT_TRUE(TInfoForm::logo().hasAlphaChannel());
}

TEST(MainWindowCommands, F2AndTheInfoLabelShowTheAboutBoxAndCtrlKTheShortcutDialog) {
    QList<std::pair<TColor, TColor>> about;
    const TInfoForm::Responder previousAbout = TInfoForm::setResponder([&about](TColor first, TColor second) {
        about.append({first, second});
    });
    QStringList shortcutFor;
    const TFrmShortcut::Responder previousShortcut = TFrmShortcut::setResponder([&](const QString& file) {
        shortcutFor << file;
        return int(QDialog::Rejected);
    });
    TForm1 form;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_F2);
    QTest::mouseClick(form.GlInfo, Qt::LeftButton);
    QTest::keyClick(&form, Qt::Key_K, Qt::ControlModifier);
    TInfoForm::setResponder(previousAbout);
    TFrmShortcut::setResponder(previousShortcut);
    const std::pair<TColor, TColor> theme{0xFFEBDE, 0xD8B4A3};
    EXPECT_EQ(about, (QList<std::pair<TColor, TColor>>{theme, theme}));
    EXPECT_EQ(shortcutFor, QStringList{QString()}); // a new document has no file
}

} // namespace
