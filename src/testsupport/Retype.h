#pragma once

#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QWidget>

namespace testsupport {

// Replaces a field's whole text as a user would: select all, delete, type.
inline void Retype(QWidget* field, const QString& text) {
  field->setFocus();
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Delete);
  QTest::keyClicks(field, text);
}

// Types `digits` into a masked date editor from its first position, as a user
// would after clearing it.
inline void TypeDate(QLineEdit* editor, const QString& digits) {
  editor->clear();
  editor->setFocus();
  editor->setCursorPosition(0);
  QTest::keyClicks(editor, digits);
}

}  // namespace testsupport
