// SPDX-License-Identifier: MIT
#include "linux/nullsource.h"

#include "pointergrab.h"

#include <QObject>

namespace Module1 {

namespace {

    // Says so once the capture control is done arming, as any other grab reports what it sees.
    class NullGrab final : public PointerGrab {
    public:
        explicit NullGrab(GrabClient &client)
            : m_client(client)
        {
        }
        void take() override
        {
            QMetaObject::invokeMethod(
                &m_context, [this] { m_client.screenUnreadable(); }, Qt::QueuedConnection);
        }
        void release() override { }

    private:
        GrabClient &m_client;
        QObject m_context; // a report still on its way when the grab goes is dropped with it
    };

} // namespace

std::unique_ptr<PointerGrab> NullSource::createPointerGrab(GrabClient &client, Handle)
{
    return std::make_unique<NullGrab>(client);
}

} // namespace Module1
