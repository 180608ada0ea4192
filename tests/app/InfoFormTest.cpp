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
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

using platform::MessageBoxKind;

namespace {

// Answers every request on 127.0.0.1 with `response` (never while it is empty), then `more`
// bytes: one each `paceMs` milliseconds, or as fast as they are taken while that is 0. Keeps what
// it was sent, and how much of `more` it had left when the client hung up.
struct LocalServer : QTcpServer {
    LocalServer() {
        EXPECT_TRUE(listen(QHostAddress::LocalHost));
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection();
            unsent = 0;
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request += socket->readAll();
                if (request.contains("\r\n\r\n") && !response.isEmpty())
                    answer(socket);
            });
            connect(socket, &QTcpSocket::disconnected, this, [this] { closed = true; });
        });
    }
    void answer(QTcpSocket* socket) {
        unsent = more;
        const auto send = [this, socket, chunk = paceMs > 0 ? 1 : 64 * 1024] {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
            do {
                const qint64 n = std::min<qint64>(chunk, unsent);
                socket->write(QByteArray(n, 'x'));
                unsent -= n;
            } while (chunk > 1 && unsent > 0 && socket->bytesToWrite() < chunk);
            if (unsent == 0)
                socket->disconnectFromHost();
        };
        socket->write(response);
        if (paceMs > 0) {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, send);
            timer->start(paceMs);
        } else {
            connect(socket, &QTcpSocket::bytesWritten, socket, send);
        }
        send();
    }
    QByteArray response;
    qint64 more = 0;
    int paceMs = 0;
    QByteArray request;
    qint64 unsent = 0;
    bool closed = false;
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

// Each server behaviour ends in one box within the one deadline, and no reply is read past the
// cap: a server that sends without end or too much is hung up on before it has sent everything.
TEST_F(InfoFormTest, EveryReplyHasItsOwnBox) {
    const QString error = "Version Check Error!|An Error occurred during version check. \r\nPlease contact "
                          "Tolvard Software with this info:\r\n%1\r\nif it keeps happening.";
    const QString failed = "Version Check Failed|Could not get acces to the server ";
    const QString cutOff = QString(300, 'x') + QChar(0x2026);
    struct Row {
        const char* name;
        QByteArray response; // empty: the server never answers
        MessageBoxKind kind;
        QString box; // caption|text
        qint64 more = 0;
        int paceMs = 0;
    };
    const QByteArray v = version.toUtf8();
    const QByteArray header = "HTTP/1.1 200 X\r\n";
    const Row rows[] = {
        {"latest", httpReply(200, "  " + v + "\r\n"), MessageBoxKind::Info,
         "Version Check Result|You have the latest version: " + version},
        {"newer", httpReply(200, "9.9.9"), MessageBoxKind::YesNo,
         "Version Check Result|There is a newer version 9.9.9\r\navailable, do you want to download ?"},
        {"foreign page", httpReply(200, v + "<html>"), MessageBoxKind::ErrorBox,
         error.arg(version + "<html>")},
        {"long page", httpReply(200, QByteArray(400, 'x')), MessageBoxKind::ErrorBox, error.arg(cutOff)},
        {"empty", httpReply(200, " \r\n"), MessageBoxKind::ErrorBox, error.arg("")},
        {"http error", httpReply(404, v), MessageBoxKind::ErrorBox, failed},
        {"silent", {}, MessageBoxKind::ErrorBox, failed},
        {"drip", header + "Content-Length: 30\r\n\r\n", MessageBoxKind::ErrorBox, failed, 30, 100},
        {"endless", header + "\r\n", MessageBoxKind::ErrorBox, error.arg(cutOff), qint64(64) << 20},
        {"huge", header + "Content-Length: 20971520\r\n\r\n", MessageBoxKind::ErrorBox, error.arg(cutOff),
         qint64(20) << 20},
    };
    LocalServer server;
    const QUrl previousServer =
        TInfoForm::setVersionServer(QUrl(QString("http://127.0.0.1:%1").arg(server.serverPort())));
    const int previousDeadline = TInfoForm::setVersionDeadline(1000);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        server.request.clear();
        server.closed = false;
        std::tie(server.response, server.more, server.paceMs) = std::tie(row.response, row.more, row.paceMs);
        box.ButCheckVersionClick();
        EXPECT_TRUE(server.request.startsWith("GET /software/version.php?stat=Velquin HTTP/1.1\r\n"));
        EXPECT_FALSE(server.request.contains("Cookie"));
        ASSERT_EQ(boxes.records.size(), 1);
        EXPECT_EQ(boxes.records[0].kind, row.kind);
        EXPECT_EQ(boxes.records[0].caption + "|" + boxes.records[0].text, row.box);
        EXPECT_TRUE(box.isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&server] { return server.closed; }));
        // A server with more to send is hung up on: by the deadline or at the cap.
        EXPECT_EQ(server.unsent > 0, row.more > 0);
    }
    TInfoForm::setVersionDeadline(previousDeadline);
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
