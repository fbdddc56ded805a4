#pragma once

#include <QApplication>
#include <QIcon>
#include <chrono>
#include <functional>
#include <type_traits>

namespace ui {

// The application object. An exception that leaves an event handler is
// reported to the user in an error box, and the message loop goes on. Every
// window wears the application's own icon unless a brand gives another.
class Application : public QApplication {
 public:
  Application(int& argc, char** argv);

  // The application's own icon, in every size it is drawn in.
  static QIcon OwnIcon();

  bool notify(QObject* receiver, QEvent* event) override;

  static void ReportError(const QString& text);
};

// Runs an event handler's work and reports an error that leaves it, as the
// application object would. Handlers called from inside the widget toolkit
// use it, so that no error has to unwind through the toolkit's own code.
void Guarded(const std::function<void()>& work);

// Passes `interval` on the windows' thread without freezing them: Qt's events are handled at least
// every 10 ms meanwhile, so windows repaint and take input while the caller waits for something
// outside, such as a server that is starting.
void HandleEventsFor(std::chrono::milliseconds interval);

// Connects `signal` of `sender` to a window's event handler: a member function of `receiver`, or
// a function, given the signal's arguments when it takes them. The handler runs through Guarded,
// so that no error leaves it into the toolkit's signal dispatch; every handler is connected so.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection ConnectHandler(Sender* sender, Signal signal, Receiver* receiver,
                                       Handler handler) {
  return QObject::connect(
      sender, signal, receiver, [receiver, handler](const auto&... arguments) -> void {
        Guarded([&] {
          if constexpr (std::is_member_function_pointer_v<Handler>) {
            if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(arguments)...>) {
              std::invoke(handler, receiver, arguments...);
            } else {
              std::invoke(handler, receiver);
            }
          } else if constexpr (std::is_invocable_v<const Handler&, decltype(arguments)...>) {
            handler(arguments...);
          } else {
            handler();
          }
        });
      });
}

}  // namespace ui
