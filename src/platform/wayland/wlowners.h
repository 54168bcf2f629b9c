// SPDX-License-Identifier: MIT
// Owners for what a Wayland client holds: its proxies, and the file and memory behind a shared buffer.
#pragma once

#include <wayland-client.h>

#include <cstddef>
#include <memory>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

namespace Wl {

// A listener's entry for an event that is of no interest.
template <typename... Args> void ignore(void *, Args...) { }

// A proxy of ours, given back by the request that ends it (a destroy, or wl_display_disconnect for the
// connection itself) when it goes out of scope.
template <auto End> struct Ender {
    template <typename T> void operator()(T *proxy) const { End(proxy); }
};
template <typename T, auto End> using Owned = std::unique_ptr<T, Ender<End>>;

// A global, freed on our side alone: the compositor forgets it with the connection.
struct Forget {
    void operator()(void *proxy) const { wl_proxy_destroy(static_cast<wl_proxy *>(proxy)); }
};
template <typename T> using Global = std::unique_ptr<T, Forget>;

// A file descriptor, closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(Fd &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    Fd &operator=(Fd other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

// Pages of a file mapped shared, so that what the compositor writes into them is seen here and what is
// written here is seen by the compositor; unmapped when it goes out of scope.
class Mapping {
public:
    Mapping() = default;
    Mapping(int fd, std::size_t size, int protection = PROT_READ | PROT_WRITE, int flags = MAP_SHARED)
        : m_data(mmap(nullptr, size, protection, flags, fd, 0))
        , m_size(size)
    {
    }
    ~Mapping()
    {
        if (m_data != MAP_FAILED)
            munmap(m_data, m_size);
    }
    Mapping(Mapping &&other) noexcept
        : m_data(std::exchange(other.m_data, MAP_FAILED))
        , m_size(std::exchange(other.m_size, 0))
    {
    }
    Mapping &operator=(Mapping other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        return *this;
    }
    // Null when the file could not be mapped.
    void *data() const { return m_data != MAP_FAILED ? m_data : nullptr; }
    std::size_t size() const { return m_size; }

private:
    void *m_data = MAP_FAILED;
    std::size_t m_size = 0;
};

} // namespace Wl
