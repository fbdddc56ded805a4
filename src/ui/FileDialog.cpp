#include "ui/FileDialog.h"

#include <QFileDialog>
#include <QPointer>
#include <deque>

namespace ui {

namespace {

struct Seam {
  bool automatic = false;
  std::deque<std::optional<QString>> answers;
  std::optional<FileDialog::Request> last;
};

Seam& TheSeam() {
  static Seam seam;
  return seam;
}

}  // namespace

std::optional<QString> FileDialog::OpenExistingFile(QWidget* parent, const QString& title,
                                                    const QString& filterName,
                                                    const QString& filterPattern) {
  auto& seam = TheSeam();
  if (seam.automatic) {
    seam.last = Request{title, filterName};
    std::optional<QString> answer;
    if (!seam.answers.empty()) {
      answer.swap(seam.answers.front());
      seam.answers.pop_front();
    }
    return answer;
  }

  QPointer<QFileDialog> dialog = MakeOpenDialog(parent, title, filterName, filterPattern).release();
  std::optional<QString> chosen;
  if (dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty()) {
    chosen = dialog->selectedFiles().first();
  }
  delete dialog;
  return chosen;
}

std::unique_ptr<QFileDialog> FileDialog::MakeOpenDialog(QWidget* parent, const QString& title,
                                                        const QString& filterName,
                                                        const QString& filterPattern) {
  auto dialog = std::make_unique<QFileDialog>(parent, title);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setFileMode(QFileDialog::ExistingFile);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setOption(QFileDialog::HideNameFilterDetails);
  dialog->setNameFilter(filterName + " (" + filterPattern + ")");
  return dialog;
}

void FileDialog::AnswerAutomatically(bool on) {
  TheSeam().automatic = on;
  TheSeam().answers.clear();
  TheSeam().last.reset();
}

void FileDialog::QueueAnswer(std::optional<QString> answer) { TheSeam().answers.push_back(answer); }

std::optional<FileDialog::Request> FileDialog::LastRequest() { return TheSeam().last; }

}  // namespace ui
