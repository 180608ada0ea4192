// The about box: the version check against a local HTTP server, its place and its links.
#include "app/EkGlobals.h"
#include "app/infofrm.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"
#include "platform/gui/VersionInfo.h"
#include "tests/support/TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

using platform::MessageBoxKind;

namespace {

// Answers every request on 127.0.0.1 with `response`, or never while it is empty; keeps what
// it was sent.
struct LocalServer : QTcpServer {
    LocalServer() {
        EXPECT_TRUE(listen(QHostAddress::LocalHost));
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request += socket->readAll();
                if (request.contains("\r\n\r\n") && !response.isEmpty()) {
                    socket->write(response);
                    socket->disconnectFromHost();
                }
            });
        });
    }
    QByteArray response;
    QByteArray request;
};

QByteArray httpReply(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) +
           " X\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

class InfoFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousOpener = platform::setUrlOpener([this](const QString& url) { return opened << url, true; });
        box.show();
    }
    void TearDown() override { platform::setUrlOpener(previousOpener); }

    TInfoForm box;
    const QString version = platform::compiledFileVersion();
    QStringList opened;
    platform::UrlOpener previousOpener;
    platform::ScopedMessageBoxResponder boxes{platform::IdYes};
};

TEST_F(InfoFormTest, EveryReplyHasItsOwnBox) {
    const QString error = "Version Check Error!|An Error occurred during version check. \r\nPlease contact "
                          "Tolvard Software with this info:\r\n%1\r\nif it keeps happening.";
    const QString failed = "Version Check Failed|Could not get acces to the server ";
    struct Row {
        const char* name;
        QByteArray response; // empty: the server never answers
        MessageBoxKind kind;
        QString box; // caption|text
    };
    const QByteArray v = version.toUtf8();
    const Row rows[] = {
        {"latest", httpReply(200, "  " + v + "\r\n"), MessageBoxKind::Info,
         "Version Check Result|You have the latest version: " + version},
        {"newer", httpReply(200, "9.9.9"), MessageBoxKind::YesNo,
         "Version Check Result|There is a newer version 9.9.9\r\navailable, do you want to download ?"},
        {"foreign page", httpReply(200, v + "<html>"), MessageBoxKind::ErrorBox,
         error.arg(version + "<html>")},
        {"empty", httpReply(200, " \r\n"), MessageBoxKind::ErrorBox, error.arg("")},
        {"http error", httpReply(404, v), MessageBoxKind::ErrorBox, failed},
        {"no answer", {}, MessageBoxKind::ErrorBox, failed},
    };
    LocalServer server;
    const QUrl previousServer =
        TInfoForm::setVersionServer(QUrl(QString("http://127.0.0.1:%1").arg(server.serverPort())));
    const TInfoForm::Timeouts previousTimeouts = TInfoForm::setVersionTimeouts({2000, 300});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        server.request.clear();
        server.response = row.response;
        box.ButCheckVersionClick();
        EXPECT_TRUE(server.request.startsWith("GET /software/version.php?stat=Velquin HTTP/1.1\r\n"));
        EXPECT_FALSE(server.request.contains("Cookie"));
        ASSERT_EQ(boxes.records.size(), 1);
        EXPECT_EQ(boxes.records[0].kind, row.kind);
        EXPECT_EQ(boxes.records[0].caption + "|" + boxes.records[0].text, row.box);
        EXPECT_TRUE(box.isVisible());
    }
    TInfoForm::setVersionTimeouts(previousTimeouts);
    TInfoForm::setVersionServer(previousServer);
    // Yes to the newer version opens the product's page on the same server.
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened[0].startsWith("http://127.0.0.1:") && opened[0].endsWith("/software/velquin.php"));
}

// A thin frame rings the client (the logo and 40 beside it); inside it the gradient begins.
TEST_F(InfoFormTest, HasAThinFrameAroundItsClient) {
    const QImage image = box.grab().toImage();
    const QRgb frame = box.frameColour().rgb();
    const int w = image.width(), h = image.height();
    EXPECT_EQ(w, 500 + 40 + 2);
    // Each pixel of the two outermost rings: the frame on the outer one only.
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (const int edge = std::min({x, y, w - 1 - x, h - 1 - y}); edge <= 1)
                wrong += (image.pixel(x, y) == frame) != (edge == 0);
    EXPECT_EQ(wrong, 0);
}

TEST_F(InfoFormTest, StaysWhereItWasShown) {
    const QPoint shownAt = box.pos();
    box.move(shownAt + QPoint(40, 30));
    EXPECT_EQ(box.pos(), shownAt);
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
        {"LbWebSite", {}, {}, kMakerWebPage},
        {"LbWebSite", Qt::ControlModifier, kMakerWebPage, {}},
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

} // namespace
