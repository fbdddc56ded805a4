#pragma once

#include <QTreeWidget>
#include <functional>

namespace ui {

// A report list: rows of texts in columns, whole rows selected one at a time,
// captions not editable. While `Changing` answers false, the user's clicks and
// keys cannot move the selection or the current row.
class ListView : public QTreeWidget {
  Q_OBJECT
 public:
  explicit ListView(QWidget* parent = nullptr);

  std::function<bool()> Changing;

 protected:
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  bool Refused() const { return Changing && !Changing(); }
};

}  // namespace ui
