#pragma once

#include <QString>
#include <deque>
#include <memory>
#include <vector>

class QMessageBox;
class QWidget;

namespace ui {

enum class MessageKind { Information, Warning, Error };
enum class MessageButton { Ok, Cancel };

// A message the program showed: what a test sees instead of a dialog.
struct ShownMessage {
  MessageKind kind;
  QString caption;
  QString text;
  bool withCancel;
};

// Every message of the program goes through this object: a modal box with the
// caption of its kind ("Information", "Warning", "Error"), the buttons "OK"
// and optionally "Cancel"; the caller waits for the answer.
class MessageBox {
 public:
  explicit MessageBox(QWidget* parent = nullptr) : parent_(parent) {}

  MessageButton Show(const QString& text, MessageKind kind, bool withCancel = false);

  static QString Caption(MessageKind kind);

  // The box Show opens, made but not shown.
  std::unique_ptr<QMessageBox> MakeBox(const QString& text, MessageKind kind,
                                       bool withCancel) const;

  // Test seam: while answering automatically no dialog is shown; each message
  // is recorded and answered with the next queued answer, or OK.
  static void AnswerAutomatically(bool on);
  static void QueueAnswer(MessageButton answer);
  static const std::vector<ShownMessage>& Shown();
  static void ClearShown();

 private:
  QWidget* parent_;
};

}  // namespace ui
