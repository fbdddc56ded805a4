#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ui/Compositor.h"

namespace {

// A virtual X server on a display number of its own choosing.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int pipe[2];
    if (::pipe(pipe) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(pipe[0]);
      const std::string fd = std::to_string(pipe[1]);
      ::execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp",
              "-screen", "0", "64x64x24", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(pipe[1]);
    std::string number;
    char c = 0;
    pollfd wait{pipe[0], POLLIN, 0};
    while (::poll(&wait, 1, 10000) > 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(pipe[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":<number>", empty when the server did not come up.
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

TEST(Compositor, anX11ServerHasOneWhileItsSelectionIsOwned) {
  if (!std::filesystem::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "no Xvfb";
  const VirtualDisplay display;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not come up";
  int screen = 0;
  xcb_connection_t* program = xcb_connect(display.Name().c_str(), &screen);
  ASSERT_EQ(xcb_connection_has_error(program), 0);
  EXPECT_FALSE(ui::X11CompositorRunning(program, screen));

  // A second client takes the selection with a window of its own, as a
  // compositing manager does.
  xcb_connection_t* manager = xcb_connect(display.Name().c_str(), nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(manager)).data->root;
  const xcb_window_t window = xcb_generate_id(manager);
  xcb_create_window(manager, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      manager, xcb_intern_atom(manager, 0, uint16_t(name.size()), name.c_str()), nullptr);
  ASSERT_NE(atom, nullptr);
  xcb_set_selection_owner(manager, window, atom->atom, XCB_CURRENT_TIME);
  std::free(atom);
  std::free(xcb_get_input_focus_reply(manager, xcb_get_input_focus(manager), nullptr));

  EXPECT_TRUE(ui::X11CompositorRunning(program, screen));
  EXPECT_FALSE(ui::X11CompositorRunning(program, screen + 1)) << "another screen's";
  // The owner's window goes, as when the manager quits; the reply to a later
  // request tells that the server has dealt with it.
  xcb_destroy_window(manager, window);
  std::free(xcb_get_input_focus_reply(manager, xcb_get_input_focus(manager), nullptr));
  EXPECT_FALSE(ui::X11CompositorRunning(program, screen)) << "the manager has gone";
  xcb_disconnect(manager);
  xcb_disconnect(program);
}

}  // namespace
