#pragma once
// Drives the editor windows through their public interface: messages are recorded instead of
// shown, buttons are clicked by object name.

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QVector>

#include "palettes/ui/dialog_services.h"

namespace lumetrix::testing {

struct RecordedMessage {
  QMessageBox::Icon icon;
  QString title;
  QString text;
};

class MessageRecorder {
 public:
  MessageHandler Handler() {
    return [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
      messages.push_back({icon, title, text});
    };
  }
  QVector<RecordedMessage> messages;
};

inline void Click(QWidget* window, const char* buttonName) {
  auto* button = window->findChild<QPushButton*>(QString::fromLatin1(buttonName));
  ASSERT_NE(button, nullptr) << buttonName;
  QTest::mouseClick(button, Qt::LeftButton);
}

inline QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

}  // namespace lumetrix::testing
