// One HTTP/1.1 GET whose every byte is read and counted on the calling thread, for a caller that
// wants a small reply from a server it does not trust to keep within bounds.
//
// Qt's network access manager reads a reply's status line and headers on a thread of its own
// without a bound, and nothing stops it once started: a server that never ends a header keeps
// that thread reading and the process growing after the caller has given up. Here the caller's
// thread reads the socket itself, one deadline and one cap bound everything the server sends,
// and the connection is closed before the call returns.
#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <utility>

namespace platform {

// What a GET brought: nothing usable (no connection, no valid reply, an HTTP error status, too
// many or unsafe redirects, the deadline passed, or the cap reached before the body), the whole
// body, or the body's first part when the reply ran past the cap.
struct HttpGetReply {
    enum class Kind { Failed, Whole, TooLong };
    Kind kind = Kind::Failed;
    QByteArray body;
};

struct HttpGetLimits {
    // From the start to the last byte of the last reply, redirects and name lookups included.
    int deadlineMs = 10000;
    // Of each reply: its interim replies, status line, headers, chunk framing and body together.
    qsizetype maxReplyBytes = 64 * 1024;
    // As Qt's own default: a fifty-first redirect fails.
    int maxRedirects = 50;
};

// GETs `url` (http or https; https peers must prove who they are) with `headers` besides Host
// and "Connection: close", and returns when the reply is whole, failed or cut off. Meanwhile the
// caller's thread runs a local event loop that takes no user input. Redirects (301, 302, 303,
// 307, 308) are followed, but never from https to http. No content coding is asked for, and
// a reply sent with one anyway is returned as it came.
HttpGetReply httpGet(const QUrl& url, const QList<std::pair<QByteArray, QByteArray>>& headers,
                     const HttpGetLimits& limits = {});

} // namespace platform
