#include "testsupport/HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "util/Ascii.h"

namespace testsupport {

namespace {

constexpr int kSliceMs = 20;

// The value of a header in a block of headers, empty without it.
std::string Header(const std::string& head, const std::string& name) {
  const std::string lower = UUtils::LowerAscii(head);
  const size_t at = lower.find("\r\n" + UUtils::LowerAscii(name) + ":");
  if (at == std::string::npos) return {};
  const size_t start = at + name.size() + 3;
  const size_t end = head.find("\r\n", start);
  std::string value = head.substr(start, end - start);
  value.erase(0, value.find_first_not_of(' '));
  return value;
}

}  // namespace

HostileServer::Reply HostileServer::Ok(const std::string& body) {
  return {"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
              std::to_string(body.size()) + "\r\n\r\n" + body,
          0, {}, false};
}

HostileServer::Reply HostileServer::Endless() {
  return {"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n", 0, std::string(64 * 1024, 'x'),
          false};
}

HostileServer::Reply HostileServer::Stall() { return {{}, 0, {}, true}; }

HostileServer::HostileServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;  // the system picks a free one
  socklen_t length = sizeof address;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (listener_ >= 0) ::close(listener_);
    throw std::runtime_error("the hostile server cannot listen");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

HostileServer::~HostileServer() {
  stopping_ = true;
  acceptor_.join();
  {
    const std::lock_guard lock(mutex_);
    for (const int client : clients_) ::shutdown(client, SHUT_RDWR);
  }
  for (std::thread& thread : threads_) thread.join();
  ::close(listener_);
}

void HostileServer::On(const std::string& path, Reply reply) {
  const std::lock_guard lock(mutex_);
  replies_[path] = std::move(reply);
}

std::string HostileServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

int HostileServer::Requests(const std::string& path) const {
  const std::lock_guard lock(mutex_);
  const auto found = served_.find(path);
  return found == served_.end() ? 0 : found->second.requests;
}

std::int64_t HostileServer::BytesSent(const std::string& path) const {
  const std::lock_guard lock(mutex_);
  const auto found = served_.find(path);
  return found == served_.end() ? 0 : found->second.bytesSent;
}

void HostileServer::Accept() {
  while (!stopping_) {
    pollfd wait{listener_, POLLIN, 0};
    if (::poll(&wait, 1, kSliceMs) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const std::lock_guard lock(mutex_);
    clients_.push_back(client);
    threads_.emplace_back([this, client] { Serve(client); });
  }
}

bool HostileServer::Send(int client, const std::string& path, const char* data, size_t size) {
  while (size > 0 && !stopping_) {
    pollfd wait{client, POLLOUT, 0};
    if (::poll(&wait, 1, kSliceMs) <= 0) continue;
    const ssize_t sent = ::send(client, data, size, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    {
      const std::lock_guard lock(mutex_);
      served_[path].bytesSent += sent;
    }
    data += sent;
    size -= size_t(sent);
  }
  return size == 0;
}

void HostileServer::Serve(int client) {
  // The request: headers, then as much body as they announce.
  std::string request;
  std::string path;
  size_t headEnd = std::string::npos;
  size_t wanted = 0;
  bool continued = false;
  char buffer[16 * 1024];
  while (!stopping_ && (headEnd == std::string::npos || request.size() < headEnd + wanted)) {
    pollfd wait{client, POLLIN, 0};
    if (::poll(&wait, 1, kSliceMs) <= 0) continue;
    const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, size_t(got));
    if (headEnd != std::string::npos) continue;
    headEnd = request.find("\r\n\r\n");
    if (headEnd == std::string::npos) continue;
    headEnd += 4;
    const std::string head = request.substr(0, headEnd);
    const std::string length = Header(head, "Content-Length");
    wanted = length.empty() ? 0 : std::stoul(length);
    if (!continued && UUtils::LowerAscii(Header(head, "Expect")) == "100-continue") {
      continued = true;
      const std::string go = "HTTP/1.1 100 Continue\r\n\r\n";
      ::send(client, go.data(), go.size(), MSG_NOSIGNAL);
    }
    const size_t space = head.find(' ');
    path = head.substr(space + 1, head.find_first_of(" ?", space + 1) - space - 1);
  }

  Reply reply{"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n", 0, {}, false};
  if (!stopping_ && headEnd != std::string::npos) {
    const std::lock_guard lock(mutex_);
    ++served_[path].requests;
    if (const auto found = replies_.find(path); found != replies_.end()) reply = found->second;
  }

  bool listening = !stopping_ && headEnd != std::string::npos;
  if (listening && reply.trickleMs > 0) {
    for (const char byte : reply.bytes) {
      std::this_thread::sleep_for(std::chrono::milliseconds(reply.trickleMs));
      if (!(listening = Send(client, path, &byte, 1))) break;
    }
  } else if (listening) {
    listening = Send(client, path, reply.bytes.data(), reply.bytes.size());
  }
  while (listening && !reply.repeat.empty()) {
    listening = Send(client, path, reply.repeat.data(), reply.repeat.size());
  }
  // Held open until the client leaves or the server goes.
  while (listening && reply.stall && !stopping_) {
    pollfd wait{client, POLLIN, 0};
    if (::poll(&wait, 1, kSliceMs) > 0 && ::recv(client, buffer, sizeof buffer, 0) <= 0) break;
  }

  const std::lock_guard lock(mutex_);
  clients_.erase(std::find(clients_.begin(), clients_.end(), client));
  ::close(client);
}

}  // namespace testsupport
