#pragma once
// How long a recording on a web server (a camera's card over its Wi-Fi) is, learnt without
// moving its body. First a ranged request for its first byte ("Range: bytes=0-0"): the
// answer 206 names the whole length in Content-Range ("bytes 0-0/1048576"), an empty file
// answers 416 ("bytes */0"). A server that ignores ranges answers 200, whose Content-Length
// is the length; that transfer is stopped as soon as its header is in. A 206 that keeps the
// total to itself ("bytes 0-0/*") is asked again with HEAD. An error page's length is never
// taken for the recording's.
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace RemoteLength {

// The total of a Content-Range header ("bytes 0-0/1234" or "bytes */1234"); -1 when the
// header names none ("bytes 0-0/*", missing, malformed or negative).
qint64 totalOfContentRange(const QByteArray &header);

// The recording's length in bytes; 0 with *error when the server gave none (failed, an error
// status, no length at all, or cancelled() said so while waiting). Blocks the calling thread,
// each request for at most timeoutMs of silence.
qint64 request(QNetworkAccessManager *network, const QUrl &url, int timeoutMs, const std::function<bool()> &cancelled,
               QString *error);

// Runs a local event loop until reply finishes, aborting it as soon as cancelled() says so
// (asked every 50 ms).
void waitFor(QNetworkReply *reply, const std::function<bool()> &cancelled);

} // namespace RemoteLength
