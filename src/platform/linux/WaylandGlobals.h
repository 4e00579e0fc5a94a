#pragma once

#include <QtWaylandClient/QWaylandClientExtension>
#include <wayland-client-protocol.h>

// Binds a global at once: Qt already knows the registry's contents.
template <typename Extension> bool bindNow(Extension& extension)
{
    QMetaObject::invokeMethod(&extension, "initialize", Qt::DirectConnection);
    return extension.isActive();
}

// A seat of our own, for the requests that name one.
class WaylandSeat : public QWaylandClientExtension
{
public:
    WaylandSeat()
        : QWaylandClientExtension(1)
    {}
    ~WaylandSeat() override
    {
        if (m_seat)
            wl_seat_destroy(m_seat);
    }
    const wl_interface* extensionInterface() const override { return &wl_seat_interface; }
    void bind(wl_registry* registry, int id, int) override
    {
        if (!m_seat)
            m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, uint32_t(id), &wl_seat_interface, 1));
    }
    wl_seat* seat() const { return m_seat; }

private:
    wl_seat* m_seat = nullptr;
};
