// The program's one QNetworkAccessManager. Its GETs are answered by a reply of our own that
// speaks HTTP/1.1 over a socket of its own (TLS for https, with the default peer
// verification), one connection per request, and reads the response with HttpResponseParser:
// a response whose framing is broken, cut short or never reaches a final status ends in an
// error (ProtocolFailure, RemoteHostClosedError), never as a whole body.
#pragma once

#include <QNetworkAccessManager>

namespace vel {

class HttpAccessManager : public QNetworkAccessManager {
public:
    using QNetworkAccessManager::QNetworkAccessManager;

protected:
    // A GET of an http: or https: address is read by our own reply; a GET of any other scheme
    // fails with ProtocolUnknownError (nothing else is fetched). Other operations go to the
    // base class.
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request,
                                 QIODevice* outgoingData) override;
};

}  // namespace vel
