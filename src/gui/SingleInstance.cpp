#include "gui/SingleInstance.h"

#include "channel/ItemsRequest.h"
#include "channel/SessionSocket.h"

#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <thread>

namespace vidtrawl::gui {
namespace {

using Clock = std::chrono::steady_clock;

constexpr quint32 kMagic = 0x76747231; // "vtr1": a second start's addresses, in this form
constexpr quint32 kMaxAddresses = 1 << 20;
// A later start that connects and then says nothing is dropped after this.
constexpr int kRequestMillis = 5000;

int MillisLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<long long>(left.count(), 0));
}

// A whole request from the socket; nothing while it is still arriving.
std::optional<SingleInstance::Request> ReadRequest(QLocalSocket &socket) {
  QDataStream in(&socket);
  in.setVersion(QDataStream::Qt_6_0);
  in.startTransaction();
  quint32 magic = 0;
  in >> magic;
  SingleInstance::Request request;
  if (magic == channel::kItemsMagic) {
    // Items from the browser's host: a JSON text (in QByteArray's own form).
    QByteArray text;
    in >> text;
    if (!in.commitTransaction())
      return std::nullopt;
    auto items = channel::ReadItems(std::string_view(text.constData(), text.size()));
    if (!items) {
      socket.abort();
      return std::nullopt;
    }
    request.items = std::move(*items);
    return request;
  }
  quint32 count = 0;
  QByteArray token;
  in >> token >> count;
  if (in.status() == QDataStream::Ok && (magic != kMagic || count > kMaxAddresses)) {
    in.abortTransaction();
    socket.abort();
    return std::nullopt;
  }
  request.activationToken = token.toStdString();
  for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    QByteArray address;
    in >> address;
    request.addresses.push_back(address.toStdString());
  }
  if (!in.commitTransaction())
    return std::nullopt;
  return request;
}

} // namespace

SingleInstance::SingleInstance(QString path) : path_(std::move(path)) {
  if (path_.isEmpty())
    if (const auto folder = channel::RuntimeFolder(true))
      path_ = QFile::decodeName(
          channel::ProgramSocket(
              *folder, channel::SessionName(QGuiApplication::platformName().toStdString()))
              .c_str());
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::Accept);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Claim() {
  if (path_.isEmpty()) {
    std::fputs("vidtrawl: the runtime folder ($XDG_RUNTIME_DIR) is missing or not yours alone; "
               "a second start will not find this one\n",
               stderr);
    return true;
  }
  const QByteArray lockFile = QFile::encodeName(path_ + QStringLiteral(".lock"));
  lock_ = base::FileDescriptor(
      ::open(lockFile.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (lock_ && ::flock(lock_.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK)
      return false;
    lock_.Reset();
  }
  if (!lock_) {
    // Running alone beats not running at all.
    std::fprintf(stderr,
                 "vidtrawl: %s cannot be locked (%s); a second start will not find this one\n",
                 lockFile.constData(), std::strerror(errno));
    return true;
  }
  // Held by no running program, the socket is a crashed one's: it goes.
  QLocalServer::removeServer(path_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(path_))
    std::fprintf(stderr, "vidtrawl: a second start cannot reach this one: %s\n",
                 qUtf8Printable(server_.errorString()));
  return true;
}

void SingleInstance::Accept() {
  while (QLocalSocket *socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kRequestMillis, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() > static_cast<qint64>(channel::kMaxRequestBytes)) {
        socket->abort();
        return;
      }
      const std::optional<Request> request = ReadRequest(*socket);
      if (!request)
        return;
      // Taken as soon as it is read: the later start can end, whatever the
      // request then meets here (a question on screen, say).
      socket->write(&channel::kTaken, 1);
      socket->disconnectFromServer();
      Deliver(*request);
    });
  }
}

void SingleInstance::Deliver(const Request &request) {
  if (handler_)
    handler_(request);
  else
    waiting_.push_back(request);
}

void SingleInstance::Serve(Handler handler) {
  handler_ = std::move(handler);
  for (const Request &request : std::exchange(waiting_, {}))
    Deliver(request);
}

bool SingleInstance::HandOver(const Request &request, std::chrono::milliseconds timeout) const {
  const Clock::time_point deadline = Clock::now() + timeout;
  QLocalSocket socket;
  // The running program may hold the lock and not listen yet.
  for (;;) {
    socket.connectToServer(path_);
    if (socket.waitForConnected(MillisLeft(deadline)))
      break;
    if (MillisLeft(deadline) == 0)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  QByteArray data;
  QDataStream out(&data, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kMagic << QByteArray::fromStdString(request.activationToken)
      << static_cast<quint32>(request.addresses.size());
  for (const std::string &address : request.addresses)
    out << QByteArray::fromStdString(address);
  socket.write(data);
  while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(MillisLeft(deadline))) {
  }
  while (socket.bytesAvailable() == 0 && socket.waitForReadyRead(MillisLeft(deadline))) {
  }
  char answer = 0;
  return socket.getChar(&answer) && answer == channel::kTaken;
}

} // namespace vidtrawl::gui
