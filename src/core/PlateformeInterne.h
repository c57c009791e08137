#pragma once

// What the platform's own files share, and nothing else includes.

#include <string_view>
#include <utility>

namespace corvelle::plateforme {

// Every byte, whatever interrupts the writes: 0, or the errno value of the
// write that failed.
[[nodiscard]] int EcritOctets(int fd, std::string_view octets) noexcept;

// A file descriptor closed with its owner.
class Descripteur {
  public:
    explicit Descripteur(int fd) noexcept : fd_(fd) {}
    Descripteur(const Descripteur&) = delete;
    Descripteur& operator=(const Descripteur&) = delete;
    ~Descripteur();
    [[nodiscard]] int get() const noexcept { return fd_; }
    int Relache() noexcept { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

}  // namespace corvelle::plateforme
