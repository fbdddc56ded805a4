#include "ui/ListView.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace ui {

ListView::ListView(QWidget* parent) : QTreeWidget(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setUniformRowHeights(true);
  header()->setSectionsMovable(false);
  // The selection stays visible when the list loses the focus.
  QPalette colours = palette();
  for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  setPalette(colours);
}

bool ListView::viewportEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      if (Refused()) {
        event->accept();
        return true;
      }
      break;
    default:
      break;
  }
  return QTreeWidget::viewportEvent(event);
}

void ListView::keyPressEvent(QKeyEvent* event) {
  if (Refused()) {
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags ListView::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
  if (Refused()) return QItemSelectionModel::NoUpdate;
  return QTreeWidget::selectionCommand(index, event);
}

}  // namespace ui
