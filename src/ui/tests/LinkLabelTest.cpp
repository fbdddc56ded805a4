#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "ui/HtmlView.h"
#include "ui/LinkLabel.h"
#include "ui/PictureView.h"
#include "ui/Skin.h"
#include "util/Launch.h"

using UUtils::Launcher;

TEST(LinkLabel, looksLikeALinkAndOpensItsAddressWithTheDesktopHandler) {
  qApp->setStyleSheet(ui::Skin::BuiltIn());
  QWidget strip;
  strip.setObjectName("panLinks");
  ui::LinkLabel link("Visit the shop", &strip);
  link.SetAddress("http://shop.example/?a=1&b=2");
  strip.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  EXPECT_TRUE(link.font().underline());
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&link, &leave);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor("#334155"));
  QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
  QApplication::sendEvent(&link, &enter);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor("#2563eb"));
  QApplication::sendEvent(&link, &leave);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor("#334155"));

  Launcher::ClearRecorded();
  QTest::mouseClick(&link, Qt::LeftButton);
  link.SetAddress("");
  QTest::mouseClick(&link, Qt::LeftButton);
  QTest::mouseClick(&link, Qt::RightButton);
  ASSERT_EQ(Launcher::Recorded().size(), 1u) << "an empty address opens nothing";
  EXPECT_EQ(Launcher::Recorded()[0].program, "xdg-open");
  EXPECT_EQ(Launcher::Recorded()[0].arguments,
            std::vector<std::string>{"http://shop.example/?a=1&b=2"});
  qApp->setStyleSheet({});
}

TEST(LinkLabel, showsItsCaptionAsWrittenAndCutToTheRoomItHas) {
  QWidget strip;
  auto* row = new QHBoxLayout(&strip);
  const QString markup = "<img src=\"/etc/passwd\"><b>Big</b> & <font size=7>bold</font>";
  ui::LinkLabel link(markup + QString(300, u'x'), &strip);
  row->addWidget(&link);
  strip.resize(300, 30);
  strip.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  EXPECT_EQ(link.textFormat(), Qt::PlainText);
  EXPECT_LT(strip.minimumSizeHint().width(), 100) << "a long caption must not widen its window";
  EXPECT_LE(link.width(), 300);
  const QString shown = link.ShownText();
  EXPECT_TRUE(shown.startsWith("<img src=")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  EXPECT_LE(link.fontMetrics().horizontalAdvance(shown), link.contentsRect().width());

  link.setText("Short");
  EXPECT_EQ(link.ShownText(), "Short");
}

TEST(HtmlView, onlyWebAndMailLinksLeaveTheView) {
  ui::HtmlView view;
  const std::vector<std::string> leaving{"http://shop.example/offer", "HTTPS://shop.example/",
                                         "mailto:seller@shop.example"};
  for (const char* link :
       {"offer.html", "/etc/passwd", "file:///etc/passwd", "javascript:alert(1)", "ftp://h/x",
        "data:text/html,hi", "smb://h/share", "vbscript:x", "ms-settings:", "tel:123", "x-y:z"}) {
    Launcher::ClearRecorded();
    emit view.anchorClicked(QUrl(link));
    EXPECT_EQ(Launcher::Recorded().size(), 0u) << link;
  }
  for (const std::string& link : leaving) {
    Launcher::ClearRecorded();
    emit view.anchorClicked(QUrl(QString::fromStdString(link)));
    ASSERT_EQ(Launcher::Recorded().size(), 1u) << link;
    EXPECT_EQ(Launcher::Recorded()[0].arguments,
              std::vector<std::string>{
                  QUrl(QString::fromStdString(link)).toString(QUrl::FullyEncoded).toStdString()});
  }
}

TEST(PictureView, sizesItselfToThePictureAndReportsClicks) {
  QWidget strip;
  strip.resize(500, 100);
  ui::PictureView view(&strip);
  QImage picture(120, 40, QImage::Format_RGB32);
  picture.fill(Qt::red);
  view.ShowPicture(picture);
  EXPECT_EQ(view.size(), QSize(120, 40));
  QSignalSpy clicks(&view, &ui::PictureView::clicked);
  strip.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  QTest::mouseClick(&view, Qt::LeftButton);
  EXPECT_EQ(clicks.count(), 1);
}
