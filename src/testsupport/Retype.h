#pragma once

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

}  // namespace testsupport
