#pragma once

struct xcb_connection_t;

namespace ui {

// Whether a compositing manager runs for `screen` of the X server behind
// `connection`: one owns the selection "_NET_WM_CM_S" + screen number.
bool X11CompositorRunning(xcb_connection_t* connection, int screen);

// Whether this application's windows may be see-through. On X11 only while a
// compositing manager runs: without one, what a window leaves transparent
// shows black. Other platforms (Wayland, offscreen) compose windows always.
bool WindowsComposited();

}  // namespace ui
