// SPDX-License-Identifier: MIT
#pragma once

#include "wlowners.h"

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include <sys/mman.h>
#include <unistd.h>

namespace Wl {

// A buffer in shared memory, mapped here too: what is drawn into it here is what the compositor shows, and
// what a capture copies into it can be read here.
struct ShmBuffer {
    // Not Owned<wl_buffer, wl_buffer_destroy>: the generated function is static, a copy in every file that
    // includes it, and as a template argument it would give this type, which they all share, a different
    // meaning in each.
    struct Destroy {
        void operator()(wl_buffer *buffer) const { wl_buffer_destroy(buffer); }
    };

    Mapping pixels;
    std::unique_ptr<wl_buffer, Destroy> buffer; // null when the memory could not be had
    std::size_t size = 0;
    int width = 0, height = 0, stride = 0;
    std::uint32_t format = 0;

    ShmBuffer(wl_shm *shm, int w, int h, int s, std::uint32_t f)
        : size(std::size_t(s) * std::size_t(h))
        , width(w)
        , height(h)
        , stride(s)
        , format(f)
    {
        const Fd fd(memfd_create("zumeko", MFD_CLOEXEC));
        if (!fd.valid() || ftruncate(fd.get(), off_t(size)) != 0)
            return;
        pixels = Mapping(fd.get(), size);
        if (pixels.data() == nullptr)
            return;
        wl_shm_pool *pool = wl_shm_create_pool(shm, fd.get(), std::int32_t(size));
        buffer.reset(wl_shm_pool_create_buffer(pool, 0, w, h, s, f));
        wl_shm_pool_destroy(pool);
    }
    bool fits(int w, int h, int s, std::uint32_t f) const
    {
        return buffer != nullptr && width == w && height == h && stride == s && format == f;
    }
    // The pixels of a 32-bit format, row by row; null when the memory could not be had.
    std::uint32_t *words() const { return static_cast<std::uint32_t *>(pixels.data()); }
};

} // namespace Wl
