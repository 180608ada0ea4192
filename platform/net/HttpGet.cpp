#include "platform/net/HttpGet.h"

#include <QEventLoop>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <vector>

namespace platform {

namespace {

// The socket buffers no more than this before we take it; each read takes what the cap leaves.
constexpr qint64 kSocketBufferBytes = 16 * 1024;
// A size of more digits than this would not fit the counts; no cap lets such a body through anyway.
constexpr qsizetype kMaxSizeDigits = 15;

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// A count written in `base` (10 or 16) that fits a qint64 with room to spare.
bool isCount(const QByteArray& text, int base) {
    const auto isDigit = [base](char c) {
        return (c >= '0' && c <= '9') || (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    };
    return !text.isEmpty() && text.size() <= kMaxSizeDigits && std::all_of(text.begin(), text.end(), isDigit);
}

// One GET and the redirects it leads to. Each reply is parsed as it comes; a piece that is not
// yet a whole line stays in `pending_`, which the cap bounds.
class Exchange : public QObject {
public:
    Exchange(QList<std::pair<QByteArray, QByteArray>> headers, const HttpGetLimits& limits, QEventLoop& loop)
        : headers_(std::move(headers)), limits_(limits), loop_(loop) {}

    bool finished() const { return finished_; }
    HttpGetReply reply() const { return {kind_, body_}; }

    void start(const QUrl& url) {
        const QString scheme = url.scheme().toLower();
        const bool tls = scheme == "https";
        if ((!tls && scheme != "http") || url.host().isEmpty() || !url.isValid())
            return finish(HttpGetReply::Kind::Failed);
        url_ = url;
        stage_ = Stage::StatusLine;
        received_ = 0;
        searchFrom_ = 0;
        pending_.clear();
        body_.clear();

        // A socket left by a redirect was closed at once; it is freed with the exchange.
        if (socket_)
            retired_.push_back(std::move(socket_));
        if (tls)
            socket_ = std::make_unique<QSslSocket>();
        else
            socket_ = std::make_unique<QTcpSocket>();
        QTcpSocket* socket = socket_.get();
        socket->setReadBufferSize(kSocketBufferBytes);
        connect(socket, &QIODevice::readyRead, this, &Exchange::readAvailable);
        connect(socket, &QAbstractSocket::disconnected, this, &Exchange::endOfStream);
        connect(socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
            if (error == QAbstractSocket::RemoteHostClosedError)
                endOfStream();
            else
                finish(HttpGetReply::Kind::Failed);
        });
        const quint16 port = url.port(tls ? 443 : 80);
        // The name is looked up without blocking this thread, and closing the socket drops the lookup.
        if (tls) {
            auto* ssl = static_cast<QSslSocket*>(socket);
            connect(ssl, &QSslSocket::encrypted, this, &Exchange::sendRequest);
            ssl->connectToHostEncrypted(url.host(), port);
        } else {
            connect(socket, &QAbstractSocket::connected, this, &Exchange::sendRequest);
            socket->connectToHost(url.host(), port);
        }
    }

    // Closes the connection at once: nothing more is read, and the socket holds no buffers.
    void finish(HttpGetReply::Kind kind) {
        if (finished_)
            return;
        finished_ = true;
        kind_ = kind;
        if (kind == HttpGetReply::Kind::Failed)
            body_.clear();
        if (socket_) {
            socket_->disconnect(this);
            socket_->abort();
        }
        loop_.quit();
    }

private:
    enum class Stage {
        StatusLine,
        Headers,
        Body,
        BodyToClose,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailers,
        Redirected // the next request starts once the socket's signal that brought the redirect has returned
    };

    void sendRequest() {
        QByteArray target = url_.path(QUrl::FullyEncoded).toLatin1();
        if (target.isEmpty())
            target = "/";
        if (url_.hasQuery())
            target += '?' + url_.query(QUrl::FullyEncoded).toLatin1();
        QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " +
                             url_.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toLatin1() + "\r\n";
        for (const auto& [name, value] : headers_)
            request += name + ": " + value + "\r\n";
        request += "Connection: close\r\n\r\n";
        socket_->write(request);
    }

    void readAvailable() {
        while (!finished_ && stage_ != Stage::Redirected && socket_->bytesAvailable() > 0) {
            // One byte past the cap tells a reply that ends at the cap from one that goes on.
            QByteArray bytes = socket_->read(limits_.maxReplyBytes - received_ + 1);
            received_ += bytes.size();
            const bool overCap = received_ > limits_.maxReplyBytes;
            if (overCap)
                bytes.chop(received_ - limits_.maxReplyBytes);
            parse(bytes);
            if (overCap && !finished_ && stage_ != Stage::Redirected) {
                // A reply that had begun its body is a page too long to be a version; one
                // that had not has no body to show.
                finish(stage_ == Stage::StatusLine || stage_ == Stage::Headers ? HttpGetReply::Kind::Failed
                                                                               : HttpGetReply::Kind::TooLong);
            }
        }
    }

    void endOfStream() {
        if (finished_)
            return;
        readAvailable();
        if (!finished_)
            finish(stage_ == Stage::BodyToClose ? HttpGetReply::Kind::Whole : HttpGetReply::Kind::Failed);
    }

    void parse(const QByteArray& bytes) {
        pending_ += bytes;
        qsizetype at = 0;
        while (!finished_ && stage_ != Stage::Redirected && at < pending_.size()) {
            if (stage_ == Stage::Body || stage_ == Stage::ChunkData || stage_ == Stage::BodyToClose) {
                const qsizetype n = stage_ == Stage::BodyToClose ? pending_.size() - at
                                                                 : std::min(pending_.size() - at, toRead_);
                body_.append(pending_.constData() + at, n);
                at += n;
                if (stage_ == Stage::BodyToClose || (toRead_ -= n) > 0)
                    continue;
                if (stage_ == Stage::Body)
                    finish(HttpGetReply::Kind::Whole);
                else
                    stage_ = Stage::ChunkEnd;
                continue;
            }
            const qsizetype end = pending_.indexOf('\n', std::max(at, searchFrom_));
            if (end < 0) {
                searchFrom_ = pending_.size();
                break;
            }
            QByteArray line = pending_.mid(at, end - at);
            if (line.endsWith('\r'))
                line.chop(1);
            at = end + 1;
            takeLine(line);
        }
        pending_.remove(0, at);
        searchFrom_ = std::max<qsizetype>(searchFrom_ - at, 0);
    }

    void takeLine(const QByteArray& line) {
        switch (stage_) {
        case Stage::StatusLine:
            // An empty line before a status line is allowed, and one after an interim reply is common.
            if (!line.isEmpty())
                takeStatusLine(line);
            break;
        case Stage::Headers:
            if (line.isEmpty())
                headersDone();
            else
                takeHeader(line);
            break;
        case Stage::ChunkSize: {
            // The size, then perhaps extensions after ";", which say nothing to us.
            const qsizetype semicolon = line.indexOf(';');
            const QByteArray digits = (semicolon < 0 ? line : line.left(semicolon)).trimmed();
            if (!isCount(digits, 16))
                return finish(HttpGetReply::Kind::Failed);
            toRead_ = digits.toLongLong(nullptr, 16);
            stage_ = toRead_ == 0 ? Stage::Trailers : Stage::ChunkData;
            break;
        }
        case Stage::ChunkEnd:
            if (!line.isEmpty())
                return finish(HttpGetReply::Kind::Failed);
            stage_ = Stage::ChunkSize;
            break;
        case Stage::Trailers:
            if (line.isEmpty())
                finish(HttpGetReply::Kind::Whole);
            break;
        default:
            break;
        }
    }

    void takeStatusLine(const QByteArray& line) {
        // "HTTP/1.x" SP three digits, then a reason phrase that says nothing.
        const QByteArray code = line.mid(9, 3);
        if (!line.startsWith("HTTP/1.") || line.size() < 12 || line.at(8) != ' ' || !isCount(code, 10) ||
            (line.size() > 12 && line.at(12) != ' '))
            return finish(HttpGetReply::Kind::Failed);
        status_ = code.toInt();
        contentLength_.clear();
        chunked_ = false;
        location_.clear();
        stage_ = Stage::Headers;
    }

    void takeHeader(const QByteArray& line) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            if (!contentLength_.isEmpty() && contentLength_ != value)
                return finish(HttpGetReply::Kind::Failed);
            contentLength_ = value;
        } else if (name == "transfer-encoding") {
            chunked_ = value.toLower().endsWith("chunked");
        } else if (name == "location") {
            location_ = value;
        }
    }

    void headersDone() {
        if (status_ >= 100 && status_ < 200 && status_ != 101) {
            // An interim reply; the real one follows on the same budget.
            stage_ = Stage::StatusLine;
            return;
        }
        if (isRedirect(status_) && !location_.isEmpty())
            return redirect();
        if (status_ < 200 || status_ >= 400)
            return finish(HttpGetReply::Kind::Failed);
        if (status_ == 204 || status_ == 304)
            return finish(HttpGetReply::Kind::Whole);
        if (chunked_) {
            stage_ = Stage::ChunkSize;
        } else if (!contentLength_.isEmpty()) {
            if (!isCount(contentLength_, 10))
                return finish(HttpGetReply::Kind::Failed);
            toRead_ = contentLength_.toLongLong();
            stage_ = Stage::Body;
            if (toRead_ == 0)
                finish(HttpGetReply::Kind::Whole);
        } else {
            stage_ = Stage::BodyToClose;
        }
    }

    void redirect() {
        const QUrl next = url_.resolved(QUrl::fromEncoded(location_));
        const bool downgrade = url_.scheme().toLower() == "https" && next.scheme().toLower() != "https";
        if (++redirects_ > limits_.maxRedirects || downgrade)
            return finish(HttpGetReply::Kind::Failed);
        stage_ = Stage::Redirected;
        socket_->disconnect(this);
        socket_->abort();
        QTimer::singleShot(0, this, [this, next] {
            if (!finished_)
                start(next);
        });
    }

    const QList<std::pair<QByteArray, QByteArray>> headers_;
    const HttpGetLimits limits_;
    QEventLoop& loop_;
    QUrl url_;
    std::unique_ptr<QTcpSocket> socket_;
    std::vector<std::unique_ptr<QTcpSocket>> retired_;
    int redirects_ = 0;
    bool finished_ = false;
    HttpGetReply::Kind kind_ = HttpGetReply::Kind::Failed;

    // The reply being read.
    Stage stage_ = Stage::StatusLine;
    qsizetype received_ = 0; // bytes taken from the socket, at most the cap
    QByteArray pending_;     // taken but not yet parsed: part of a line
    qsizetype searchFrom_ = 0;
    int status_ = 0;
    QByteArray contentLength_;
    bool chunked_ = false;
    QByteArray location_;
    qint64 toRead_ = 0; // of the body or the chunk
    QByteArray body_;
};

} // namespace

HttpGetReply httpGet(const QUrl& url, const QList<std::pair<QByteArray, QByteArray>>& headers,
                     const HttpGetLimits& limits) {
    QEventLoop loop;
    Exchange exchange(headers, limits, loop);
    // One deadline for everything, which no byte restarts: a server that sends one now and then
    // would otherwise hold the caller, which takes no input meanwhile.
    QTimer deadline;
    deadline.setSingleShot(true);
    // A coarse timer may fire 5 % late: half a second on ten.
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &exchange,
                     [&exchange] { exchange.finish(HttpGetReply::Kind::Failed); });
    deadline.start(limits.deadlineMs);
    exchange.start(url);
    if (!exchange.finished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return exchange.reply();
}

} // namespace platform
