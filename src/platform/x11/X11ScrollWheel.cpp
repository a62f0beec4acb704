#include "platform/x11/X11ScrollWheel.h"

#include "platform/Error.h"
#include "platform/x11/XcbSupport.h"

#include <xcb/xinput.h>

#include <bit>

namespace {

constexpr quint32 WheelUp = 4;
constexpr quint32 WheelDown = 5;

double toDouble(xcb_input_fp3232_t value)
{
    return value.integral + value.frac / 4294967296.0;
}

// The value of `valuator` in a raw event, if the event carries it. The
// values are packed in the order of the mask's set bits.
std::optional<double> rawValue(const xcb_input_raw_button_press_event_t *event, int valuator)
{
    const int words = event->valuators_len;
    if (valuator >= words * 32)
        return std::nullopt;
    const uint32_t *mask = xcb_input_raw_button_press_valuator_mask(event);
    if (!(mask[valuator / 32] & (1u << (valuator % 32))))
        return std::nullopt;
    int index = 0;
    for (int w = 0; w < valuator / 32; ++w)
        index += std::popcount(mask[w]);
    index += std::popcount(mask[valuator / 32] & ((1u << (valuator % 32)) - 1));
    if (index >= xcb_input_raw_button_press_axisvalues_raw_length(event))
        return std::nullopt;
    return toDouble(xcb_input_raw_button_press_axisvalues_raw(event)[index]);
}

} // namespace

X11ScrollWheel::X11ScrollWheel() = default;
X11ScrollWheel::~X11ScrollWheel() = default;

bool X11ScrollWheel::startCounting()
{
    stopCounting();
    try {
        m_connection = Xcb::Connection::open();
    } catch (const Error &) {
        return false;
    }
    xcb_connection_t *c = m_connection->get();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
    Xcb::Reply<xcb_input_xi_query_version_reply_t> version{
        extension && extension->present
            ? xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr)
            : nullptr};
    // Raw events reach the root window whoever grabs the pointer from 2.1 on.
    if (!version || version->major_version < 2 || (version->major_version == 2 && version->minor_version < 1)) {
        m_connection.reset();
        return false;
    }
    m_opcode = extension->major_opcode;
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } select{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
        XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    try {
        Xcb::check(c, xcb_input_xi_select_events_checked(c, m_connection->root(), 1, &select.head),
            QStringLiteral("Could not select raw input events"));
    } catch (const Error &) {
        m_connection.reset();
        return false;
    }
    return true;
}

void X11ScrollWheel::stopCounting()
{
    m_connection.reset();
    m_devices.clear();
    m_steps = 0;
}

double X11ScrollWheel::steps()
{
    readEvents();
    return m_steps;
}

// A round trip first: every event the server queued for us before it
// answers is then in our queue.
void X11ScrollWheel::readEvents()
{
    if (!m_connection)
        return;
    xcb_connection_t *c = m_connection->get();
    Xcb::Reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (Xcb::Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)})
        handle(event.get());
}

void X11ScrollWheel::handle(const void *generic)
{
    const auto *ge = static_cast<const xcb_ge_generic_event_t *>(generic);
    if ((ge->response_type & 0x7f) != XCB_GE_GENERIC || ge->extension != m_opcode)
        return;
    const auto *raw = static_cast<const xcb_input_raw_button_press_event_t *>(generic);
    const std::optional<VerticalScroll> &scroll = scrollOf(raw->sourceid);
    if (ge->event_type == XCB_INPUT_RAW_MOTION && scroll) {
        if (const std::optional<double> value = rawValue(raw, scroll->valuator))
            m_steps += *value / scroll->increment;
    } else if (ge->event_type == XCB_INPUT_RAW_BUTTON_PRESS && !scroll) {
        if (raw->detail == WheelDown)
            m_steps += 1;
        else if (raw->detail == WheelUp)
            m_steps -= 1;
    }
}

const std::optional<X11ScrollWheel::VerticalScroll> &X11ScrollWheel::scrollOf(quint16 device)
{
    const auto known = m_devices.find(device);
    if (known != m_devices.end())
        return known->second;
    std::optional<VerticalScroll> &scroll = m_devices[device];
    xcb_connection_t *c = m_connection->get();
    const Xcb::Reply<xcb_input_xi_query_device_reply_t> reply{
        xcb_input_xi_query_device_reply(c, xcb_input_xi_query_device(c, device), nullptr)};
    if (!reply)
        return scroll;
    for (auto info = xcb_input_xi_query_device_infos_iterator(reply.get()); info.rem;
         xcb_input_xi_device_info_next(&info)) {
        for (auto it = xcb_input_xi_device_info_classes_iterator(info.data); it.rem;
             xcb_input_device_class_next(&it)) {
            if (it.data->type != XCB_INPUT_DEVICE_CLASS_TYPE_SCROLL)
                continue;
            const auto *s = reinterpret_cast<const xcb_input_scroll_class_t *>(it.data);
            const double increment = toDouble(s->increment);
            if (s->scroll_type == XCB_INPUT_SCROLL_TYPE_VERTICAL && increment != 0)
                scroll = VerticalScroll{s->number, increment};
        }
    }
    return scroll;
}
