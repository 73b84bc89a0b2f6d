#include "platform/mqtt/MosquittoConnection.h"

#include "platform/mqtt/MosquittoResults.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QThreadPool>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnby {

using namespace Qt::StringLiterals;

// One attempt: the library's handle and what the event loop knows of it. `phase` is the one
// value both the pool thread and the event loop touch; everything else belongs to the event loop,
// or, for the handle, to whoever holds it as the phases say.
struct MosquittoConnection::Session : std::enable_shared_from_this<Session> {
    enum Phase { Calling, Returned, Abandoned };
    std::atomic<int> phase{Calling};
    mosquitto* handle = nullptr;
    MosquittoConnection* owner = nullptr; // null once the owner let go
    bool handedBack = false;              // the connect call's result reached the event loop
    bool threadRunning = false;
    bool connected = false;
    bool reportClose = false; // an orderly close to be reported as disconnected(None)
    bool closing = false;     // "disconnect" is to be sent once the broker has every message
    QSet<int> unacknowledged; // QoS 1 messages the broker has not confirmed yet
    QString peer;
};

namespace {

// Where the connect call runs: a thread that ends as soon as its call returns. With TLS the call
// sets up OpenSSL, which keeps per-thread state until its thread ends; a thread kept idle in a
// pool would hold that state for the rest of the run. Never destroyed, so the program's end
// never waits on a name lookup still running.
QThreadPool& connectCallThreads() {
    static QThreadPool* const threads = [] {
        auto* pool = new QThreadPool;
        pool->setExpiryTimeout(0);
        return pool;
    }();
    return *threads;
}

// Posts `call` to the event loop; the application object outlives every connection.
template <typename Call> void postToEventLoop(Call&& call) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<Call>(call),
                              Qt::QueuedConnection);
}

QString peerOf(mosquitto* handle) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    const int socket = mosquitto_socket(handle);
    if (socket < 0 || getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return {};
    return numericAddress(reinterpret_cast<const sockaddr*>(&peer));
}

} // namespace

MosquittoConnection::MosquittoConnection(QObject* parent) : MqttConnection(parent) {
    [[maybe_unused]] static const int initialised = mosquitto_lib_init();
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(CloseTimeoutMs);
    connect(&closeTimer_, &QTimer::timeout, this, &MosquittoConnection::closeTimedOut);
}

MosquittoConnection::~MosquittoConnection() {
    dropCurrent(false);
    for (const SessionPtr& session : closing_)
        endSession(*session);
}

QString MosquittoConnection::clientId(const QString& site) {
    return u"tarnby-%1-%2-%3"_s.arg(site)
        .arg(::getpid())
        .arg(QRandomGenerator::global()->generate() % 0x1000000, 6, 16, QChar(u'0'));
}

void MosquittoConnection::connectToBroker(const MqttSettings& settings, const LastWill& will) {
    dropCurrent(false);
    ++attempt_;
    for (const SessionPtr& session : closing_)
        session->reportClose = false;

    auto session = std::make_shared<Session>();
    session->owner = this;
    session->handle =
        mosquitto_new(clientId(settings.site).toUtf8().constData(), true, session.get());
    if (!session->handle)
        return failSoon(ConnectionFailure::Other, u"no memory for the connection"_s);
    mosquitto* handle = session->handle;
    const auto cannot = [&](ConnectionFailure failure, const QString& detail) {
        mosquitto_destroy(handle);
        failSoon(failure, detail);
    };
    mosquitto_int_option(handle, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!settings.user.isEmpty())
        mosquitto_username_pw_set(
            handle, settings.user.toUtf8().constData(),
            settings.password.isEmpty() ? nullptr : settings.password.toUtf8().constData());
    if (!will.topic.isEmpty())
        mosquitto_will_set(handle, will.topic.toUtf8().constData(), int(will.payload.size()),
                           will.payload.constData(), will.qos, will.retain);
    if (settings.tls) {
        const QByteArray caFile = QFile::encodeName(settings.caFile);
        const int result =
            settings.caFile.isEmpty()
                ? mosquitto_tls_set(handle, nullptr, SystemCertificates, nullptr, nullptr, nullptr)
                : mosquitto_tls_set(handle, caFile.constData(), nullptr, nullptr, nullptr, nullptr);
        if (result != MOSQ_ERR_SUCCESS)
            return cannot(ConnectionFailure::CaFileUnusable, {});
    }
    // The library's own reconnect never comes before this connection ends the attempt.
    mosquitto_reconnect_delay_set(handle, 30, 30, false);
    mosquitto_connect_callback_set(handle, [](mosquitto* h, void* data, int code) {
        auto session = static_cast<Session*>(data)->shared_from_this();
        const QString peer = code == 0 ? peerOf(h) : QString();
        postToEventLoop([session, code, peer] { brokerAnswered(session, code, peer); });
    });
    mosquitto_disconnect_callback_set(handle, [](mosquitto*, void* data, int result) {
        const int error = errno;
        auto session = static_cast<Session*>(data)->shared_from_this();
        postToEventLoop([session, result, error] { connectionEnded(session, result, error); });
    });
    mosquitto_publish_callback_set(handle, [](mosquitto*, void* data, int messageId) {
        auto session = static_cast<Session*>(data)->shared_from_this();
        postToEventLoop([session, messageId] { messageSent(session, messageId); });
    });
    // A TLS handshake that fails on the library's thread ends that thread with no callback but
    // this error line.
    mosquitto_log_callback_set(handle, [](mosquitto*, void* data, int level, const char* text) {
        if (level != MOSQ_LOG_ERR)
            return;
        auto session = static_cast<Session*>(data)->shared_from_this();
        const bool caFile = std::strstr(text, "CA certificates") != nullptr;
        postToEventLoop([session, caFile] { handshakeFailed(session, caFile); });
    });

    current_ = session;
    // The name lookup and the start of the TCP connect, off the event loop. The library's
    // thread is started only once this has returned, so the handle is never used by two threads
    // before the library's own locking is in charge.
    connectCallThreads().start([session, host = settings.host.toUtf8(), port = settings.port] {
        const int result =
            mosquitto_connect_async(session->handle, host.constData(), port, KeepAliveSeconds);
        const int error = errno;
        if (session->phase.exchange(Session::Returned) == Session::Abandoned) {
            mosquitto_destroy(session->handle);
            return;
        }
        postToEventLoop([session, result, error] { connectCallReturned(session, result, error); });
    });
}

void MosquittoConnection::failSoon(ConnectionFailure failure, const QString& detail) {
    QMetaObject::invokeMethod(
        this,
        [this, failure, detail, attempt = attempt_] {
            if (attempt == attempt_)
                emit connectFailed(failure, detail);
        },
        Qt::QueuedConnection);
}

void MosquittoConnection::disconnectFromBroker() {
    dropCurrent(true);
}

void MosquittoConnection::dropCurrent(bool reportClose) {
    const SessionPtr session = std::exchange(current_, nullptr);
    if (!session)
        return;
    if (session->connected) {
        // The library loses QoS 1 messages still on their way when "disconnect" follows them at
        // once, so it waits for the broker to confirm them; the thread ends once it is out.
        session->reportClose = reportClose;
        session->closing = true;
        if (session->unacknowledged.isEmpty())
            mosquitto_disconnect(session->handle);
        closing_.push_back(session);
        closeTimer_.start();
        return;
    }
    session->owner = nullptr;
    if (!session->handedBack) {
        // The pool thread, or the result it posted, frees the handle.
        session->phase.exchange(Session::Abandoned);
        return;
    }
    endSession(*session);
}

void MosquittoConnection::closeTimedOut() {
    for (const SessionPtr& session : std::exchange(closing_, {})) {
        const bool report = session->reportClose;
        endSession(*session);
        if (report)
            emit disconnected(ConnectionFailure::None, {});
    }
}

int MosquittoConnection::publish(const QString& topic, const QByteArray& payload, int qos,
                                 bool retain) {
    if (!current_ || !current_->connected)
        return 0;
    int messageId = 0;
    const int result = mosquitto_publish(current_->handle, &messageId, topic.toUtf8().constData(),
                                         int(payload.size()), payload.constData(), qos, retain);
    if (result != MOSQ_ERR_SUCCESS)
        return 0;
    if (qos > 0)
        current_->unacknowledged.insert(messageId);
    return messageId;
}

QString MosquittoConnection::peerAddress() const {
    return current_ && current_->connected ? current_->peer : QString();
}

QStringList MosquittoConnection::ownAddresses() const {
    return ownNumericAddresses();
}

void MosquittoConnection::connectCallReturned(const SessionPtr& session, int result, int error) {
    session->handedBack = true;
    MosquittoConnection* owner = session->owner;
    if (!owner) {
        endSession(*session);
        return;
    }
    if (result == MOSQ_ERR_SUCCESS)
        result = mosquitto_loop_start(session->handle);
    if (result == MOSQ_ERR_SUCCESS) {
        session->threadRunning = true;
        return;
    }
    owner->current_.reset();
    endSession(*session);
    const MosquittoFailure failure = failureOfResult(result, error);
    emit owner->connectFailed(failure.failure, failure.detail);
}

void MosquittoConnection::brokerAnswered(const SessionPtr& session, int connackCode,
                                         const QString& peer) {
    MosquittoConnection* owner = session->owner;
    if (!owner || owner->current_ != session)
        return;
    if (connackCode == 0) {
        session->connected = true;
        session->peer = peer;
        emit owner->connected();
        return;
    }
    owner->current_.reset();
    endSession(*session);
    const MosquittoFailure failure = failureOfConnack(connackCode);
    emit owner->connectFailed(failure.failure, failure.detail);
}

void MosquittoConnection::connectionEnded(const SessionPtr& session, int result, int error) {
    MosquittoConnection* owner = session->owner;
    if (!owner)
        return;
    const auto closing = std::find(owner->closing_.begin(), owner->closing_.end(), session);
    if (closing != owner->closing_.end()) {
        owner->closing_.erase(closing);
        if (owner->closing_.empty())
            owner->closeTimer_.stop();
        const bool report = session->reportClose;
        endSession(*session);
        if (report)
            emit owner->disconnected(ConnectionFailure::None, {});
        return;
    }
    if (owner->current_ != session)
        return;
    owner->current_.reset();
    const bool wasConnected = session->connected;
    endSession(*session);
    if (wasConnected) {
        emit owner->disconnected(result == MOSQ_ERR_KEEPALIVE ? ConnectionFailure::NotAnswering
                                                              : ConnectionFailure::Lost,
                                 {});
    } else {
        const MosquittoFailure failure = failureOfResult(result, error);
        emit owner->connectFailed(failure.failure, failure.detail);
    }
}

void MosquittoConnection::handshakeFailed(const SessionPtr& session, bool caFile) {
    MosquittoConnection* owner = session->owner;
    // Before the connect call has returned, its result reports the failure.
    if (!owner || owner->current_ != session || !session->threadRunning || session->connected)
        return;
    owner->current_.reset();
    endSession(*session);
    emit owner->connectFailed(
        caFile ? ConnectionFailure::CaFileUnusable : ConnectionFailure::NotTrusted, {});
}

void MosquittoConnection::messageSent(const SessionPtr& session, int messageId) {
    MosquittoConnection* owner = session->owner;
    if (!owner)
        return;
    session->unacknowledged.remove(messageId);
    if (owner->current_ == session)
        emit owner->published(messageId);
    else if (session->closing && session->unacknowledged.isEmpty())
        mosquitto_disconnect(session->handle);
}

void MosquittoConnection::endSession(Session& session) {
    session.owner = nullptr;
    mosquitto* handle = std::exchange(session.handle, nullptr);
    if (!handle)
        return;
    // Each setter waits for a callback still running, so none runs after these.
    mosquitto_connect_callback_set(handle, nullptr);
    mosquitto_disconnect_callback_set(handle, nullptr);
    mosquitto_publish_callback_set(handle, nullptr);
    mosquitto_log_callback_set(handle, nullptr);
    if (session.threadRunning) {
        mosquitto_disconnect(handle);
        // Not waiting for a connect or a lookup the thread may be in.
        mosquitto_loop_stop(handle, true);
        session.threadRunning = false;
    }
    mosquitto_destroy(handle);
}

} // namespace tarnby
