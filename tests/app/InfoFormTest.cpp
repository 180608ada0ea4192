// The about box: the version check against a local HTTP server, its place and its links.
#include "app/EkGlobals.h"
#include "app/infofrm.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"
#include "platform/gui/VersionInfo.h"
#include "tests/support/TestSupport.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <tuple>

using platform::MessageBoxKind;

namespace {

// Answers every request on 127.0.0.1 with `response` (the first with `first` when that is set;
// never while `response` is empty), then `more` bytes of `fill` repeated: one each `paceMs`
// milliseconds, or as fast as they are taken while that is 0. Keeps what it was sent, how many
// connections are open, and how much of `more` it had left when the client hung up. It runs on a
// thread of its own, so it goes on sending while the client's thread does something else; the
// fields are read and written under `mutex`, and nothing else crosses the threads but atomics.
struct LocalServer : QTcpServer {
    LocalServer() {
        EXPECT_TRUE(listen(QHostAddress::LocalHost));
        // Once `hangUp` is set, closes every connection the client left open: a broken client
        // costs the other cases nothing.
        auto* hangUpTimer = new QTimer(this);
        connect(hangUpTimer, &QTimer::timeout, this, [this] {
            if (!hangUp)
                return;
            for (QTcpSocket* socket : findChildren<QTcpSocket*>())
                socket->abort(), socket->deleteLater();
            hangUp = false;
        });
        hangUpTimer->start(10);
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = nextPendingConnection();
            ++open;
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, n = ++connections] {
                const std::lock_guard lock(mutex);
                request += socket->readAll();
                if (request.endsWith("\r\n\r\n") && !response.isEmpty() &&
                    !socket->property("answered").toBool()) {
                    socket->setProperty("answered", true);
                    answer(socket, n == 1 && !first.isEmpty() ? first : response);
                }
            });
            connect(socket, &QTcpSocket::disconnected, this, [this] { --open; });
        });
    }
    // Deleted on its own thread: the lock orders the test's last look before it.
    ~LocalServer() override { const std::lock_guard lock(mutex); }
    void answer(QTcpSocket* socket, const QByteArray& head) {
        unsent = more;
        const auto send = [this, socket,
                           chunk = paceMs > 0 ? fill.left(1) : fill.repeated(64 * 1024 / fill.size())] {
            if (socket->state() != QAbstractSocket::ConnectedState)
                return;
            do {
                const qint64 n = std::min<qint64>(chunk.size(), unsent);
                socket->write(chunk.left(n));
                unsent -= n;
            } while (chunk.size() > 1 && unsent > 0 && socket->bytesToWrite() < chunk.size());
            if (unsent == 0)
                socket->disconnectFromHost();
        };
        socket->write(head);
        if (paceMs > 0) {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, send);
            timer->start(paceMs);
        } else {
            connect(socket, &QTcpSocket::bytesWritten, socket, send);
        }
        send();
    }
    std::mutex mutex;
    QByteArray response, fill, first;
    qint64 more = 0;
    int paceMs = 0;
    QByteArray request;
    std::atomic<qint64> unsent = 0;
    std::atomic<int> connections = 0, open = 0;
    std::atomic<bool> hangUp = false;
};

// The threads of this process, Qt's own and any other.
int threadCount() {
    return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

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
// cap, which counts the status line and headers too: a server that sends without end or too much
// is hung up on before it has sent everything, and no thread is left reading when the box shows.
TEST_F(InfoFormTest, EveryReplyHasItsOwnBox) {
    const QString error = "Version Check Error!|An Error occurred during version check. \r\nPlease contact "
                          "Tolvard Software with this info:\r\n%1\r\nif it keeps happening.";
    const QString failed = "Version Check Failed|Could not get acces to the server ";
    const QString cutOff = QString(300, 'x') + QChar(0x2026);
    struct Row {
        const char* name;
        QByteArray response; // empty: the server never answers
        MessageBoxKind kind;
        QString box; // caption|text, or the caption alone where the text is what the server sent
        qint64 more = 0;
        int paceMs = 0;
        QByteArray fill = "x";
        QByteArray first = {};
    };
    const QByteArray v = version.toUtf8();
    const QByteArray header = "HTTP/1.1 200 X\r\n";
    const QByteArray chunked = header + "Transfer-Encoding: chunked\r\n\r\n";
    const QByteArray interim = "HTTP/1.1 100 Continue\r\n\r\n";
    const qint64 endless = qint64(64) << 20;
    // 1,024 gzip members of 1 MiB of zeros: 1 MB that would inflate to 1 GiB. Not asked for, it
    // is taken as it comes: bytes past the cap.
    const QByteArray zeros = qCompress(QByteArray(1 << 20, 0), 9);
    const QByteArray bomb = (QByteArray::fromHex("1f8b0800000000000003") + zeros.mid(6, zeros.size() - 10) +
                             QByteArray::fromHex("1cea38a700001000"))
                                .repeated(1024);
    const QString latest = "Version Check Result|You have the latest version: " + version;
    using enum MessageBoxKind;
    const Row rows[] = {
        {"latest", httpReply(200, "  " + v + "\r\n"), Info, latest},
        {"newer", httpReply(200, "9.9.9"), YesNo,
         "Version Check Result|There is a newer version 9.9.9\r\navailable, do you want to download ?"},
        {"foreign page", httpReply(200, v + "<html>"), ErrorBox, error.arg(version + "<html>")},
        {"long page", httpReply(200, QByteArray(400, 'x')), ErrorBox, error.arg(cutOff)},
        {"empty", httpReply(200, " \r\n"), ErrorBox, error.arg("")},
        {"http error", httpReply(404, v), ErrorBox, failed},
        {"chunked", chunked + QByteArray::number(v.size(), 16) + "\r\n" + v + "\r\n0\r\n\r\n", Info, latest},
        {"interim reply first", interim + httpReply(200, v), Info, latest},
        {"redirect", httpReply(200, v), Info, latest, 0, 0, "x",
         "HTTP/1.1 302 X\r\nLocation: /software/moved\r\n\r\n"},
        {"redirect loop", "HTTP/1.1 301 X\r\nLocation: /software/version.php\r\n\r\n", ErrorBox, failed},
        {"gzip bomb",
         header + "Content-Encoding: gzip\r\nContent-Length: " + QByteArray::number(bomb.size()) +
             "\r\n\r\n" + bomb,
         ErrorBox, "Version Check Error!"},
        {"silent", {}, ErrorBox, failed},
        {"drip", header + "Content-Length: 30\r\n\r\n", ErrorBox, failed, 30, 100},
        {"endless", header + "\r\n", ErrorBox, error.arg(cutOff), endless},
        {"huge", header + "Content-Length: 20971520\r\n\r\n", ErrorBox, error.arg(cutOff), qint64(20) << 20},
        {"endless status line", "HTTP/1.1 200 ", ErrorBox, failed, endless},
        {"endless header", header + "X-Pad: ", ErrorBox, failed, endless},
        {"endless headers", header, ErrorBox, failed, endless, 0, "X-Pad: x\r\n"},
        {"endless chunk size", chunked + "4\r\nabcd\r\n", ErrorBox,
         error.arg(QString("abcd") + QChar(0x2026)), endless},
        {"endless interim replies", interim, ErrorBox, failed, endless, 0, interim},
    };
    auto* server = new LocalServer;
    QThread serverThread;
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    const auto stopServer = qScopeGuard([&serverThread] { serverThread.quit(), serverThread.wait(); });
    const QUrl previousServer =
        TInfoForm::setVersionServer(QUrl(QString("http://127.0.0.1:%1").arg(server->serverPort())));
    const int previousDeadline = TInfoForm::setVersionDeadline(1000);
    // When the box shows: whether the server sees every connection closed as soon as it looks,
    // and how many threads there are.
    bool closedAtBox = false;
    int threadsAtBox = 0;
    const platform::MessageBoxResponder previous = platform::setMessageBoxResponder(
        [&](const QString& caption, const QString& text, MessageBoxKind kind) {
            closedAtBox = QTest::qWaitFor([server] { return server->open == 0; }, 1000);
            threadsAtBox = threadCount();
            return previous(caption, text, kind);
        });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        {
            const std::lock_guard lock(server->mutex);
            server->request.clear();
            server->connections = 0;
            server->unsent = 0;
            std::tie(server->response, server->more, server->paceMs, server->fill, server->first) =
                std::tie(row.response, row.more, row.paceMs, row.fill, row.first);
        }
        const int threadsBefore = threadCount();
        box.ButCheckVersionClick();
        server->hangUp = true;
        EXPECT_TRUE(QTest::qWaitFor([server] { return !server->hangUp; }));
        const std::lock_guard lock(server->mutex);
        EXPECT_TRUE(server->request.startsWith("GET /software/version.php?stat=Velquin HTTP/1.1\r\n"));
        EXPECT_FALSE(server->request.contains("Cookie") || server->request.contains("Accept-Encoding"));
        ASSERT_EQ(boxes.records.size(), 1);
        EXPECT_EQ(boxes.records[0].kind, row.kind);
        const QString shown = boxes.records[0].caption + "|" + boxes.records[0].text;
        EXPECT_EQ(row.box.contains('|') ? shown : boxes.records[0].caption, row.box);
        EXPECT_TRUE(box.isVisible());
        EXPECT_TRUE(closedAtBox);
        EXPECT_LE(threadsAtBox, threadsBefore);
        // A server with more to send is hung up on: by the deadline or at the cap.
        EXPECT_EQ(server->unsent > 0, row.more > 0);
    }
    platform::setMessageBoxResponder(previous);
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
