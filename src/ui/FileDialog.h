#pragma once

#include <QString>
#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace ui {

// The open-file dialog. Test seam like the message box: while answering
// automatically, each request is recorded and answered from a queue (a
// missing answer means cancel).
class FileDialog {
 public:
  struct Request {
    QString title;
    QString filterName;
  };

  // Asks for one existing file; nothing when the user cancels.
  static std::optional<QString> OpenExistingFile(QWidget* parent, const QString& title,
                                                 const QString& filterName,
                                                 const QString& filterPattern);

  // The dialog OpenExistingFile opens, made but not shown. It is always the
  // toolkit's own dialog, never the desktop's, so that it wears the skin.
  static std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* parent, const QString& title,
                                                     const QString& filterName,
                                                     const QString& filterPattern);

  static void AnswerAutomatically(bool on);
  static void QueueAnswer(std::optional<QString> answer);
  static std::optional<Request> LastRequest();
};

}  // namespace ui
