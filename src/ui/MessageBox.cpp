#include "ui/MessageBox.h"

#include <QMessageBox>
#include <QPointer>

namespace ui {

namespace {

struct Seam {
  bool automatic = false;
  std::deque<MessageButton> answers;
  std::vector<ShownMessage> shown;
};

Seam& TheSeam() {
  static Seam seam;
  return seam;
}

}  // namespace

QString MessageBox::Caption(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      return QStringLiteral("Information");
    case MessageKind::Warning:
      return QStringLiteral("Warning");
    case MessageKind::Error:
      break;
  }
  return QStringLiteral("Error");
}

MessageButton MessageBox::Show(const QString& text, MessageKind kind, bool withCancel) {
  auto& seam = TheSeam();
  if (seam.automatic) {
    seam.shown.push_back({kind, Caption(kind), text, withCancel});
    if (seam.answers.empty()) return MessageButton::Ok;
    const auto answer = seam.answers.front();
    seam.answers.pop_front();
    return answer;
  }

  QPointer<QMessageBox> box = MakeBox(text, kind, withCancel).release();
  const int result = box->exec();
  delete box;
  return result == QMessageBox::Ok ? MessageButton::Ok : MessageButton::Cancel;
}

std::unique_ptr<QMessageBox> MessageBox::MakeBox(const QString& text, MessageKind kind,
                                                 bool withCancel) const {
  const auto icon = kind == MessageKind::Information ? QMessageBox::Information
                    : kind == MessageKind::Warning   ? QMessageBox::Warning
                                                     : QMessageBox::Critical;
  const auto buttons = withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok;
  auto box = std::make_unique<QMessageBox>(icon, Caption(kind), text, buttons, parent_);
  // Messages quote brand texts and file names: they are shown as written.
  box->setTextFormat(Qt::PlainText);
  box->setWindowModality(Qt::ApplicationModal);
  return box;
}

void MessageBox::AnswerAutomatically(bool on) {
  TheSeam().automatic = on;
  TheSeam().answers.clear();
}

void MessageBox::QueueAnswer(MessageButton answer) { TheSeam().answers.push_back(answer); }

const std::vector<ShownMessage>& MessageBox::Shown() { return TheSeam().shown; }

void MessageBox::ClearShown() { TheSeam().shown.clear(); }

}  // namespace ui
