// Stands in for a compositing manager that has unredirected every window, as
// mutter, KWin and picom do for full-screen ones: it owns _NET_WM_CM_S<n>
// and redirects nothing. Prints its selection window's id ("0x…") once it
// owns the selection, then waits to be killed.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main()
{
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screens.data->root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber);
    xcb_intern_atom_reply_t *atom
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.c_str()), nullptr);
    if (!atom)
        return 1;
    xcb_set_selection_owner(c, window, atom->atom, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool owns = owner && owner->owner == window;
    std::free(owner);
    std::free(atom);
    if (!owns)
        return 1;
    std::printf("0x%x\n", window);
    std::fflush(stdout);
    while (xcb_generic_event_t *event = xcb_wait_for_event(c))
        std::free(event);
    xcb_disconnect(c);
    return 0;
}
