// SPDX-License-Identifier: MIT
#include "services_fake.h"

namespace Module1 {

bool FakeServices::cursorPos(CursorPoint &point)
{
    ++cursorReads;
    if (!pointerReadable)
        return false;
    point = pointer;
    return true;
}

Handle FakeServices::windowDC(Handle window)
{
    if (!contextsAvailable || window == 0)
        return 0;
    m_contexts.emplace(++m_lastContext, window);
    return m_lastContext;
}

std::int32_t FakeServices::pixel(Handle dc, std::int32_t x, std::int32_t y)
{
    ++pixelReads;
    return m_contexts.contains(dc) ? screen(x, y) : NoColor;
}

int FakeServices::releaseDC(Handle window, Handle dc)
{
    ++releases;
    const auto context = m_contexts.find(dc);
    if (context == m_contexts.end() || context->second != window)
        return 0;
    m_contexts.erase(context);
    return 1;
}

std::intptr_t FakeServices::shellExecute(Handle owner, const char *operation, const char *file,
    const char *parameters, const char *directory, int showCommand)
{
    auto text = [](const char *s) { return s != nullptr ? std::string(s) : std::string(); };
    shellCalls.push_back(
        { owner, text(operation), text(file), text(directory), parameters == nullptr, showCommand });
    return shellResult;
}

namespace {

    class FakeGrab final : public PointerGrab {
    public:
        FakeGrab(FakeServices &services, GrabClient &client)
            : m_services(services)
        {
            services.grabClient = &client;
        }
        ~FakeGrab() override { m_services.grabClient = nullptr; }
        void take() override { m_services.grabHeld = true; }
        void release() override { m_services.grabHeld = false; }

    private:
        FakeServices &m_services;
    };

} // namespace

std::unique_ptr<PointerGrab> FakeServices::createPointerGrab(GrabClient &client)
{
    return std::make_unique<FakeGrab>(*this, client);
}

FakeServices &InstallFakeServices()
{
    auto fake = std::make_unique<FakeServices>();
    auto &ref = *fake;
    SetServices(std::move(fake));
    return ref;
}

} // namespace Module1
