// The about box: the version check against a local HTTP server, its place and its links.
#include "app/EkGlobals.h"
#include "app/Globl.h"
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
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
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

// A key and a certificate for 127.0.0.1 alone, which the tests' TLS server shows and their client
// trusts, valid from 2000 to 2125 (DER in base 64).
const QByteArray kTlsKey =
    QByteArray::fromBase64("MDECAQEEIL/YFmwPqr51Er9B/YrVLDSt0Zy3JLQ8G4Sd5BJ5leB9oAoGCCqGSM49AwEH");
const QByteArray kTlsCertificate = QByteArray::fromBase64(
    "MIIBFzCBvaADAgECAgEBMAoGCCqGSM49BAMCMBQxEjAQBgNVBAMMCTEyNy4wLjAuMTAgFw0wMDAxMDEwMDAwMDBaGA8yMTI1"
    "MDEwMTAwMDAwMFowFDESMBAGA1UEAwwJMTI3LjAuMC4xMFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEheOmhugARE0SLITz"
    "f5dD1VbN7m3Np5XDNLbVVrdxNofPE36PyTrPzR7p4BW+gEYxxRjCmcegqg4ZNPaON3UvWTAKBggqhkjOPQQDAgNJADBGAiEA"
    "zNBl8yoyugtss5JfRlz9hiJvlM77riMX9hUkbPvlZ18CIQCuAU0CTFRd+Zrktwac21EKteFjnbm1m4TRIlHtv1K6NA==");

// Answers every request on 127.0.0.1 with `response` (the first `firstTimes` with `first` when
// that is set; never while `response` is empty), then `more` bytes of `fill` repeated: one each
// `paceMs` milliseconds, or as fast as they are taken while that is 0. The first connection speaks
// TLS while `tls` is set. Keeps what it was sent, how many connections are open, and how much of
// `more` it had left when the client hung up. It runs on a thread of its own, so it goes on
// sending while the client's thread does something else; the fields are read and written under
// `mutex`, and nothing else crosses the threads but atomics.
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
    }
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        ++open;
        const int n = ++connections;
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, n] {
            const std::lock_guard lock(mutex);
            request += socket->readAll();
            if (request.endsWith("\r\n\r\n") && !response.isEmpty() &&
                !socket->property("answered").toBool()) {
                socket->setProperty("answered", true);
                answer(socket, n <= firstTimes && !first.isEmpty() ? first : response);
            }
        });
        connect(socket, &QTcpSocket::disconnected, this, [this] { --open; });
        if (n == 1 && tls) {
            socket->setPrivateKey(QSslKey(kTlsKey, QSsl::Ec, QSsl::Der));
            socket->setLocalCertificate(QSslCertificate(kTlsCertificate, QSsl::Der));
            socket->startServerEncryption();
        }
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
    QByteArray response, fill = "x", first;
    int firstTimes = 1;
    qint64 more = 0;
    int paceMs = 0;
    QByteArray request;
    std::atomic<qint64> unsent = 0;
    std::atomic<int> connections = 0, open = 0;
    std::atomic<bool> hangUp = false, tls = false;
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
    void SetUp() override { box.show(); }

    TInfoForm box;
    const QString version = platform::compiledFileVersion();
    QStringList opened;
    bool browserStarts = true;
    platform::ScopedSeam<platform::UrlOpener> opener{
        platform::urlOpener, [this](const QString& url) { return opened << url, browserStarts; }};
    platform::ScopedMessageBoxResponder boxes{platform::IdYes};
};

// Each server behaviour ends in one box within the one deadline, and no reply is read past the
// cap, which counts the status line and headers too: a server that sends without end or too much
// is hung up on before it has sent everything, and no thread is left reading when the box shows.
// Yes to a newer version opens the product's page on the same server, or names it in a box.
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
        int firstTimes = 1;
        bool https = false;  // the check asks over TLS, which the server speaks on its first connection
        bool browser = true; // takes the download page, which Yes to a newer version opens
    };
    // The server on a thread of its own, asked within a second, its certificate trusted meanwhile.
    auto* server = new LocalServer;
    QThread serverThread;
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    const QSslConfiguration previousTls = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = previousTls;
    trusting.addCaCertificate(QSslCertificate(kTlsCertificate, QSsl::Der));
    QSslConfiguration::setDefaultConfiguration(trusting);
    const auto stopServer = qScopeGuard([&] {
        QSslConfiguration::setDefaultConfiguration(previousTls);
        serverThread.quit(), serverThread.wait();
    });
    const auto url = [port = server->serverPort()](bool https) {
        return QUrl(QString("%1://127.0.0.1:%2").arg(https ? "https" : "http").arg(port));
    };
    const platform::ScopedSeam<QUrl> pointedAt(TInfoForm::versionServer, url(false));
    const platform::ScopedSeam<int> deadline(TInfoForm::versionDeadline, 1000);
    const QString page = url(false).toString() + "/software/velquin.php";
    const QByteArray v = version.toUtf8();
    const QByteArray header = "HTTP/1.1 200 X\r\n";
    const QByteArray length = "Content-Length: " + QByteArray::number(v.size()) + "\r\n";
    const QByteArray chunked = header + "Transfer-Encoding: chunked\r\n\r\n";
    const QByteArray chunk = QByteArray::number(v.size(), 16) + "\r\n" + v;
    const QByteArray interim = "HTTP/1.1 100 Continue\r\n\r\n";
    const QByteArray moved = "HTTP/1.1 302 X\r\nLocation: /software/moved\r\n\r\n";
    const qint64 endless = qint64(64) << 20;
    // A reply of `total` bytes, status line and headers counted: the version, then blanks.
    const auto sized = [&v](qsizetype total) {
        const qsizetype head = httpReply(200, QByteArray(total, ' ')).size() - total; // as many digits
        return httpReply(200, v + QByteArray(total - head - v.size(), ' '));
    };
    // 1,024 gzip members of 1 MiB of zeros: 1 MB that would inflate to 1 GiB. Not asked for, it
    // is taken as it comes: bytes past the cap.
    const QByteArray zeros = qCompress(QByteArray(1 << 20, 0), 9);
    const QByteArray bomb = (QByteArray::fromHex("1f8b0800000000000003") + zeros.mid(6, zeros.size() - 10) +
                             QByteArray::fromHex("1cea38a700001000"))
                                .repeated(1024);
    const QString latest = "Version Check Result|You have the latest version: " + version;
    const QString newer =
        "Version Check Result|There is a newer version 9.9.9\r\navailable, do you want to download ?";
    using enum MessageBoxKind;
    const Row rows[] = {
        {"latest", httpReply(200, "  " + v + "\r\n"), Info, latest},
        {"newer", httpReply(200, "9.9.9"), YesNo, newer},
        {.name = "newer, no browser",
         .response = httpReply(200, "9.9.9"),
         .kind = YesNo,
         .box = kProductName + "|Could not open the download page in a browser:\r\n" + page,
         .browser = false},
        {"foreign page", httpReply(200, v + "<html>"), ErrorBox, error.arg(version + "<html>")},
        {"long page", httpReply(200, QByteArray(400, 'x')), ErrorBox, error.arg(cutOff)},
        {"empty", httpReply(200, " \r\n"), ErrorBox, error.arg("")},
        {"http error", httpReply(404, v), ErrorBox, failed},
        {"length given twice", header + length + length + "\r\n" + v, Info, latest},
        {"two lengths", header + "Content-Length: 99\r\n" + length + "\r\n" + v, ErrorBox, failed},
        {"ends where the server closes", header + "\r\n" + v, Info, latest},
        {"chunked", chunked + chunk + "\r\n0\r\n\r\n", Info, latest},
        {"junk after a chunk", chunked + chunk + "x\r\n0\r\n\r\n", ErrorBox, failed},
        {"interim reply first", interim + httpReply(200, v), Info, latest},
        {"redirect", httpReply(200, v), Info, latest, 0, 0, "x", moved},
        {"50 redirects", httpReply(200, v), Info, latest, 0, 0, "x", moved, 50},
        {"51 redirects", httpReply(200, v), ErrorBox, failed, 0, 0, "x", moved, 51},
        {"redirect loop", "HTTP/1.1 301 X\r\nLocation: /software/version.php\r\n\r\n", ErrorBox, failed},
        {"https", httpReply(200, v), Info, latest, 0, 0, "x", {}, 1, true},
        {"redirect from https to http", httpReply(200, v), ErrorBox, failed, 0, 0, "x",
         "HTTP/1.1 302 X\r\nLocation: " + url(false).toEncoded() + "/software/moved\r\n\r\n", 1, true},
        {"as long as the cap", sized(64 * 1024), Info, latest},
        {"one byte past the cap", sized(64 * 1024 + 1), ErrorBox, error.arg(version + QChar(0x2026))},
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
    // When the box shows: whether the server sees every connection closed as soon as it looks,
    // and how many threads there are.
    bool closedAtBox = false;
    int threadsAtBox = 0;
    const platform::MessageBoxResponder answer = platform::messageBoxResponder.get();
    platform::ScopedSeam watch(
        platform::messageBoxResponder, [&](const QString& caption, const QString& text, MessageBoxKind kind) {
            closedAtBox = QTest::qWaitFor([server] { return server->open == 0; }, 1000);
            threadsAtBox = threadCount();
            return answer(caption, text, kind);
        });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        opened.clear();
        browserStarts = row.browser;
        {
            const std::lock_guard lock(server->mutex);
            server->request.clear();
            server->connections = 0;
            server->unsent = 0;
            server->tls = row.https;
            std::tie(server->response, server->more, server->paceMs, server->fill, server->first,
                     server->firstTimes) =
                std::tie(row.response, row.more, row.paceMs, row.fill, row.first, row.firstTimes);
        }
        TInfoForm::versionServer.exchange(url(row.https));
        const int threadsBefore = threadCount();
        box.ButCheckVersionClick();
        server->hangUp = true;
        EXPECT_TRUE(QTest::qWaitFor([server] { return !server->hangUp; }));
        const std::lock_guard lock(server->mutex);
        EXPECT_TRUE(server->request.startsWith("GET /software/version.php?stat=Velquin HTTP/1.1\r\n"));
        EXPECT_FALSE(server->request.contains("Cookie") || server->request.contains("Accept-Encoding"));
        ASSERT_EQ(boxes.records.size(), row.browser ? 1 : 2);
        EXPECT_EQ(boxes.records[0].kind, row.kind);
        const auto& last = boxes.records.back();
        EXPECT_EQ(row.box.contains('|') ? last.caption + "|" + last.text : last.caption, row.box);
        EXPECT_EQ(opened, row.kind == YesNo ? QStringList{page} : QStringList());
        EXPECT_TRUE(box.isVisible());
        EXPECT_TRUE(closedAtBox);
        EXPECT_LE(threadsAtBox, threadsBefore);
        // A server with more to send is hung up on: by the deadline or at the cap.
        EXPECT_EQ(server->unsent > 0, row.more > 0);
    }
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
        platform::ScopedSeam keys(platform::keyStateProbe, [&row] { return row.keys; });
        QTest::mouseClick(box.findChild<QLabel*>(row.label), Qt::LeftButton);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), row.clipboard.isEmpty() ? "before" : row.clipboard);
        EXPECT_EQ(opened, row.opened.isEmpty() ? QStringList() : QStringList{row.opened});
    }
}

} // namespace
