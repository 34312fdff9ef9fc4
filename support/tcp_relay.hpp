#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <string>
#include <thread>

// A TCP relay on the loopback interface that behaves as a slow, distant link: each way,
// bytes are taken from the sender no faster than the rate, in small chunks, and handed
// on after the delay. It serves one connection, to the target port, and stops with it.
class tcp_relay {
  public:
    using clock = std::chrono::steady_clock;

    tcp_relay(int target_port, double bytes_per_second, std::chrono::milliseconds delay)
        : target_port_(target_port), rate_(bytes_per_second), delay_(delay) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(0);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 1);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }

    ~tcp_relay() {
        stop_ = true;
        thread_.join();
        close(listener_);
    }
    tcp_relay(const tcp_relay&) = delete;
    tcp_relay& operator=(const tcp_relay&) = delete;

    int port() const { return port_; }

    static sockaddr_in loopback(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

  private:
    // One way of the link.
    struct direction {
        int from = -1;
        int to = -1;
        double tokens = 0;
        bool closed = false;
        std::deque<std::pair<clock::time_point, std::string>> on_the_way;
    };

    void serve() {
        int client = -1;
        while (!stop_ && client < 0) {
            pollfd ready{listener_, POLLIN, 0};
            if (poll(&ready, 1, 20) > 0) {
                client = accept(listener_, nullptr, nullptr);
            }
        }
        if (client < 0) {
            return;
        }
        const int server = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(target_port_);
        if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const int on = 1;
            setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            direction ways[2];
            ways[0].from = ways[1].to = client;
            ways[0].to = ways[1].from = server;
            relay(ways);
        }
        close(server);
        close(client);
    }

    void relay(direction (&ways)[2]) {
        const auto chunk = std::max(64.0, rate_ / 64);
        auto last = clock::now();
        while (!stop_) {
            const auto now = clock::now();
            const double seconds = std::chrono::duration<double>(now - last).count();
            last = now;
            bool done = true;
            for (direction& way : ways) {
                way.tokens = std::min(chunk, way.tokens + seconds * rate_);
                pollfd ready{way.from, POLLIN, 0};
                if (!way.closed && way.tokens >= 1 && poll(&ready, 1, 0) > 0) {
                    std::string bytes(static_cast<std::size_t>(way.tokens), '\0');
                    const ssize_t got = read(way.from, bytes.data(), bytes.size());
                    if (got <= 0) {
                        way.closed = true;
                    } else {
                        bytes.resize(static_cast<std::size_t>(got));
                        way.tokens -= static_cast<double>(got);
                        way.on_the_way.emplace_back(now + delay_, std::move(bytes));
                    }
                }
                while (!way.on_the_way.empty() && way.on_the_way.front().first <= now) {
                    const std::string& bytes = way.on_the_way.front().second;
                    std::size_t sent = 0;
                    while (sent < bytes.size()) {
                        const ssize_t put = write(way.to, bytes.data() + sent, bytes.size() - sent);
                        if (put <= 0) {
                            break;
                        }
                        sent += static_cast<std::size_t>(put);
                    }
                    way.on_the_way.pop_front();
                }
                done = done && way.closed && way.on_the_way.empty();
            }
            // Either side closing ends the session once what was on the way has arrived.
            if (done || ((ways[0].closed || ways[1].closed) && ways[0].on_the_way.empty() &&
                         ways[1].on_the_way.empty())) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    int target_port_;
    double rate_;
    std::chrono::milliseconds delay_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
