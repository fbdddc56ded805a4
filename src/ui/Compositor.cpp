#include "ui/Compositor.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>
#include <string>

namespace ui {

bool X11CompositorRunning(xcb_connection_t* connection, int screen) {
  if (!connection || xcb_connection_has_error(connection)) return false;
  const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.c_str()), nullptr);
  if (!atom) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  // Without an owner the selection's atom may not even exist.
  if (selection == XCB_ATOM_NONE) return false;
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (!owner) return false;
  const bool owned = owner->owner != XCB_WINDOW_NONE;
  std::free(owner);
  return owned;
}

bool WindowsComposited() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11) return false;
  // The screen that DISPLAY names, as the platform took it.
  char* host = nullptr;
  int display = 0;
  int screen = 0;
  if (!xcb_parse_display(nullptr, &host, &display, &screen)) screen = 0;
  std::free(host);
  return X11CompositorRunning(x11->connection(), screen);
}

}  // namespace ui
