#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <optional>

#include "brand/BrandProfile.h"
#include "brand/LastNewsId.h"
#include "shell/FMain.h"
#include "shell/FNews.h"
#include "shell/tests/Controls.h"
#include "testsupport/Files.h"
#include "testsupport/HostileServer.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"
#include "ui/HtmlView.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "brand/BrandFileCipher.h"
#include "util/TextLines.h"

namespace {

namespace fs = std::filesystem;
using shell::TfrmNews;
using shelltest::Control;

constexpr char kNoNews[] = "There's no news for this application!";

// The test news service at /news/, the same behind an answer delayed by
// 800 ms at /slow/, a brand for it, and a program folder with a brand file.
class NewsWindow : public ::testing::Test {
 protected:
  NewsWindow() {
    const fs::path www = folder_.Root() / "www";
    fs::create_directories(www);
    fs::create_directory_symlink(NEWS_SERVICE_DIR, www / "news");
    for (const char* script : {"getlastnews.php", "getnewsdetails.php"}) {
      testsupport::WriteFile(
          www / "slow" / script,
          std::string("<?php usleep(800000); require __DIR__ . '/../news/") + script + "';");
    }
    server_.emplace(www.string(),
                    testsupport::PhpServer::Options{{{"NEWS_DATA", Items().string()},
                                                     {"NEWS_REQUEST_LOG", folder_.Path("log")},
                                                     {"PHP_CLI_SERVER_WORKERS", "2"}},
                                                    {}});
    UseService("news/");
    brand::BrandProfile.BranderType = "Gold";
    brand::BrandProfile.BranderCode = "HT200";
    brand::BrandProfile.GoldPublID = "pub1";

    fs::create_directories(Program());
    testsupport::WriteFile(folder_.Root() / "plain",
                           "<%%ApplicationName%%>Tool<%%/ApplicationName%%>\r\n");
    brand::EncryptToFile(folder_.Path("plain"), (Program() / "dbsettings.dat").string());
    ui::MessageBox::ClearShown();
  }
  ~NewsWindow() override {
    brand::BrandProfile = {};
    ui::MessageBox::ClearShown();
  }

  void UseService(const std::string& path) {
    brand::BrandProfile.GoldNewsBaseURL = server_->Url(path);
  }
  fs::path Items() const { return folder_.Root() / "items"; }
  fs::path Program() const { return folder_.Root() / "program"; }
  std::string StoredId() const { return brand::LoadLastNewsId(Program().string() + "/"); }
  void WriteItem(const std::string& id, const std::string& title, const std::string& html) {
    testsupport::WriteFile(Items() / "pub1" / "HT200" / (id + ".news"),
                           "Title: " + title + "\nPublished: today\n\n" + html);
  }
  int Requests() const { return int(testsupport::FileLines(folder_.Path("log")).size()); }

  // A shown news window over the entries, with nothing selected yet.
  std::unique_ptr<TfrmNews> Open(const UUtils::StringList& entries) {
    const news::Service service{brand::BrandProfile.GoldNewsBaseURL, "pub1", "HT200", "BG"};
    auto window =
        std::make_unique<TfrmNews>(nullptr, messages_, Program().string() + "/", service, entries);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
  }
  static void ClickRow(TfrmNews& window, int row) {
    QTreeWidgetItem* item = Control<ui::ListView>(window, "lvwItems")->topLevelItem(row);
    QTest::mouseClick(Control<ui::ListView>(window, "lvwItems")->viewport(), Qt::LeftButton, {},
                      Control<ui::ListView>(window, "lvwItems")->visualItemRect(item).center());
  }
  static int SelectedRow(const TfrmNews& window) {
    const auto selected = Control<ui::ListView>(window, "lvwItems")->selectedItems();
    return selected.isEmpty()
               ? -1
               : Control<ui::ListView>(window, "lvwItems")->indexOfTopLevelItem(selected.front());
  }
  static void ExpectIdle(const TfrmNews& window) {
    EXPECT_FALSE(window.Busy());
    for (const QWidget* widget : std::initializer_list<const QWidget*>{
             &window, Control<ui::ListView>(window, "lvwItems"),
             Control<ui::HtmlView>(window, "prfEditorNews")->viewport()}) {
      EXPECT_NE(widget->cursor().shape(), Qt::WaitCursor) << widget->objectName().toStdString();
    }
  }
  static std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (const auto& message : ui::MessageBox::Shown()) texts.push_back(message.text.toStdString());
    return texts;
  }

  testsupport::TempFolder folder_;
  std::optional<testsupport::PhpServer> server_;
  ui::MessageBox messages_;
};

TEST_F(NewsWindow, rowsFollowTheEntriesInOrderWithNothingSelected) {
  const auto window = Open({"17^Spring sale^12 May", "5^^", "9^Only a title", "3^Caf\xE9^x^y"});
  EXPECT_EQ(window->windowTitle(), "News");
  EXPECT_EQ(window->size(), QSize(682, 411));
  EXPECT_EQ(Control<QPushButton>(*window, "btnExit")->text(), "Close");
  EXPECT_EQ(Control<ui::ListView>(*window, "lvwItems")->headerItem()->text(0), "News Title");
  EXPECT_EQ(Control<ui::ListView>(*window, "lvwItems")->headerItem()->text(1), "Published");
  EXPECT_EQ(Control<ui::ListView>(*window, "lvwItems")->columnWidth(1), 160);
  EXPECT_TRUE(Control<ui::ListView>(*window, "lvwItems")->isColumnHidden(2));

  const std::vector<std::array<QString, 3>> rows{{"Spring sale", "12 May", "17"},
                                                 {"", "", "5"},
                                                 {"Only a title", "", "9"},
                                                 {"Caf\u00e9", "x", "3"}};
  ASSERT_EQ(Control<ui::ListView>(*window, "lvwItems")->topLevelItemCount(), int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i) {
    for (int column = 0; column < 3; ++column) {
      EXPECT_EQ(Control<ui::ListView>(*window, "lvwItems")->topLevelItem(i)->text(column),
                rows[i][column])
          << i;
    }
  }
  EXPECT_EQ(SelectedRow(*window), -1);
  EXPECT_TRUE(Control<ui::HtmlView>(*window, "prfEditorNews")->toPlainText().isEmpty());
  EXPECT_EQ(Requests(), 0);
}

TEST_F(NewsWindow, openingAnItemShowsItAndRemembersIt) {
  WriteItem("17", "New", "<p>Seventeen for $19 \xE9t\xE9</p>");
  WriteItem("5", "Old", "<p>Five</p>");
  WriteItem("4", "Blank", "");
  const auto window = Open({"17^New^", "5^Old^", "4^Blank^"});

  ClickRow(*window, 0);
  EXPECT_EQ(Control<ui::HtmlView>(*window, "prfEditorNews")->toPlainText(),
            "Seventeen for $19 \u00e9t\u00e9");
  EXPECT_EQ(StoredId(), "17");
  ExpectIdle(*window);

  ClickRow(*window, 0);
  EXPECT_EQ(Requests(), 1) << "the selected row again asks nothing";

  ClickRow(*window, 1);
  EXPECT_EQ(Control<ui::HtmlView>(*window, "prfEditorNews")->toPlainText(), "Five");
  EXPECT_EQ(StoredId(), "5") << "an older item is stored all the same";

  ClickRow(*window, 2);
  EXPECT_EQ(Control<ui::HtmlView>(*window, "prfEditorNews")->toPlainText(), "");
  EXPECT_EQ(StoredId(), "4");
  EXPECT_TRUE(Shown().empty());
}

TEST_F(NewsWindow, failedItemKeepsViewAndStoredId) {
  WriteItem("17", "New", "<p>Seventeen</p>");
  const auto window = Open({"17^New^", "6^Withdrawn^"});
  ClickRow(*window, 0);
  ASSERT_EQ(StoredId(), "17");

  ClickRow(*window, 1);
  EXPECT_EQ(Shown(),
            std::vector<std::string>{"There is a trouble with this news. Contact your provider."});
  EXPECT_EQ(ui::MessageBox::Shown().back().kind, ui::MessageKind::Warning);
  EXPECT_EQ(Control<ui::HtmlView>(*window, "prfEditorNews")->toPlainText(), "Seventeen");
  EXPECT_EQ(StoredId(), "17");
  ExpectIdle(*window);
}

TEST_F(NewsWindow, selectionCannotMoveWhileAnItemIsFetched) {
  WriteItem("17", "New", "<p>Seventeen</p>");
  WriteItem("5", "Old", "<p>Five</p>");
  UseService("slow/");
  const auto window = Open({"17^New^", "5^Old^"});
  bool busyMeanwhile = false;
  QTimer::singleShot(300, [&] {
    busyMeanwhile = window->Busy() &&
                    Control<ui::ListView>(*window, "lvwItems")->cursor().shape() == Qt::WaitCursor;
    ClickRow(*window, 1);
    QTest::keyClick(Control<ui::ListView>(*window, "lvwItems"), Qt::Key_Down);
  });
  ClickRow(*window, 0);

  EXPECT_TRUE(busyMeanwhile);
  EXPECT_EQ(SelectedRow(*window), 0);
  EXPECT_EQ(Control<ui::ListView>(*window, "lvwItems")->currentItem(),
            Control<ui::ListView>(*window, "lvwItems")->topLevelItem(0));
  EXPECT_EQ(Requests(), 1);
  EXPECT_EQ(StoredId(), "17");
  ExpectIdle(*window);
}

TEST_F(NewsWindow, closingWhileAnItemIsFetchedEndsTheRequestQuietly) {
  WriteItem("17", "New", "<p>Seventeen</p>");
  UseService("slow/");
  const auto window = Open({"17^New^"});
  QTimer::singleShot(
      300, [&] { QTest::mouseClick(Control<QPushButton>(*window, "btnExit"), Qt::LeftButton); });
  ClickRow(*window, 0);

  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), QDialog::Accepted);
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(Control<ui::HtmlView>(*window, "prfEditorNews")->toPlainText().isEmpty());
  EXPECT_EQ(StoredId(), "");
  ExpectIdle(*window);
}

// The News button of the main window.
class NewsButton : public NewsWindow {
 protected:
  NewsButton() { window_.show(); }
  shell::TfrmMain window_;
};

TEST_F(NewsButton, saysThereIsNoNewsWhenNoneCanBeHad) {
  fs::create_directories(Items() / "pub1" / "HT200");
  const struct {
    const char* what;
    std::function<void()> arrange;
    std::vector<std::string> messages;
  } cases[] = {
      {"free tier", [] { brand::BrandProfile.BranderType = "Free"; }, {kNoNews}},
      {"no publisher id", [] { brand::BrandProfile.GoldPublID.clear(); }, {kNoNews}},
      {"no items", [] {}, {kNoNews}},
      {"refused",
       [] { brand::BrandProfile.GoldPublID = "nobody"; },
       {"There is a trouble with the Publisher Id. Contact your provider.", kNoNews}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    brand::BrandProfile.BranderType = "Gold";
    brand::BrandProfile.GoldPublID = "pub1";
    c.arrange();
    ui::MessageBox::ClearShown();
    Control<QToolButton>(window_, "btnNews")->click();
    EXPECT_EQ(Shown(), c.messages);
    EXPECT_EQ(ui::MessageBox::Shown().back().kind, ui::MessageKind::Information);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
  EXPECT_EQ(Requests(), 2);
}

TEST_F(NewsButton, opensTheNewsWindowOnTheList) {
  WriteItem("2", "Two", "<p>2</p>");
  WriteItem("1", "One", "<p>1</p>");
  std::vector<QString> rows;
  QTimer watch;  // until the news window is up
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* news = qobject_cast<TfrmNews*>(QApplication::activeModalWidget())) {
      const auto* items = Control<ui::ListView>(*news, "lvwItems");
      for (int row = 0; row < items->topLevelItemCount(); ++row) {
        rows.push_back(items->topLevelItem(row)->text(0) + "^" + items->topLevelItem(row)->text(1));
      }
      Control<QPushButton>(*news, "btnExit")->click();
    }
  });
  watch.start(20);
  QTest::mouseClick(Control<QToolButton>(window_, "btnNews"), Qt::LeftButton);
  EXPECT_EQ(rows, (std::vector<QString>{"Two^today", "One^today"}));
  EXPECT_TRUE(Shown().empty());
}

TEST_F(NewsButton, closingTheMainWindowMidRequestShowsNothing) {
  WriteItem("1", "One", "<p>1</p>");
  UseService("slow/");
  QTimer::singleShot(300, [&] { window_.close(); });
  bool newsWindowOpened = false;
  QTimer watch;  // a news window that opens anyway is closed again
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* news = qobject_cast<TfrmNews*>(QApplication::activeModalWidget())) {
      newsWindowOpened = true;
      news->reject();
    }
  });
  watch.start(20);
  Control<QToolButton>(window_, "btnNews")->click();
  EXPECT_FALSE(window_.isVisible());
  EXPECT_TRUE(Shown().empty());
  EXPECT_FALSE(newsWindowOpened);
}

TEST_F(NewsButton, idsThatAreNoNumbersNeverReachTheBrandFile) {
  testsupport::HostileServer hostile;
  const std::string list = "8\r\n<%%Welcome1%%>Hi<%%/Welcome1%%>^Tag^x\xAF" +
                           std::string("4\0^Nul^y", 8) +
                           "\xAF"
                           "7^Fine^z\xAF<%%BranderType%%>Free^Type^\xAFOK";
  hostile.On("/news/getlastnews.php", testsupport::HostileServer::Ok(list));
  hostile.On("/news/getnewsdetails.php", testsupport::HostileServer::Ok("<p>seven</p>\xAFOK"));
  brand::BrandProfile.GoldNewsBaseURL = hostile.Url("news/");
  const auto plain = [this] { return brand::DecryptFile((Program() / "dbsettings.dat").string()); };
  const std::string before = plain();
  // The main window of this program folder, with the test's brand.
  const brand::TBrandProfile profile = brand::BrandProfile;
  shell::TfrmMain window(Program().string() + "/");
  brand::BrandProfile = profile;
  window.show();

  std::vector<QString> rows;
  QTimer watch;  // until the news window is up: opens every row, then closes it
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* news = qobject_cast<TfrmNews*>(QApplication::activeModalWidget());
    if (!news) return;
    watch.stop();
    for (int row = 0; row < Control<ui::ListView>(*news, "lvwItems")->topLevelItemCount(); ++row) {
      rows.push_back(Control<ui::ListView>(*news, "lvwItems")->topLevelItem(row)->text(0));
      ClickRow(*news, row);
    }
    Control<QPushButton>(*news, "btnExit")->click();
  });
  watch.start(20);
  QTest::mouseClick(Control<QToolButton>(window, "btnNews"), Qt::LeftButton);

  EXPECT_EQ(rows, std::vector<QString>{"Fine"});
  EXPECT_TRUE(Shown().empty());
  const std::string stored = before + "<%%LastNewsId%%>7<%%/LastNewsId%%>\r\n";
  EXPECT_EQ(plain(), stored);
  for (const std::string& id : {std::string("8\r\n<%%Welcome1%%>"), std::string("4\0", 2),
                                std::string("<%%/LastNewsId%%>"), std::string()}) {
    EXPECT_THROW(brand::SaveLastNewsId(Program().string() + "/", id), std::invalid_argument);
  }
  EXPECT_EQ(plain(), stored);
}

TEST_F(NewsButton, aUsersRequestShowsTheBusyCursorAndASecondClickIsToldToWait) {
  WriteItem("1", "One", "<p>1</p>");
  UseService("slow/");
  bool busyMeanwhile = false;
  QTimer::singleShot(300, [&] {
    busyMeanwhile = window_.cursor().shape() == Qt::WaitCursor;
    QTest::mouseClick(Control<QToolButton>(window_, "btnNews"), Qt::LeftButton);
    QTest::mouseClick(Control<QToolButton>(window_, "bsSkinSpeedButton1"), Qt::LeftButton);
  });
  int rows = -1;
  QTimer watch;  // until the news window is up, then closes it
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* news = qobject_cast<TfrmNews*>(QApplication::activeModalWidget())) {
      rows = Control<ui::ListView>(*news, "lvwItems")->topLevelItemCount();
      Control<QPushButton>(*news, "btnExit")->click();
    }
  });
  watch.start(20);
  Control<QToolButton>(window_, "btnNews")->click();

  EXPECT_TRUE(busyMeanwhile);
  EXPECT_NE(window_.cursor().shape(), Qt::WaitCursor);
  const std::string wait = "Please wait: the request under way has not finished yet.";
  EXPECT_EQ(Shown(), (std::vector<std::string>{wait, wait}));
  EXPECT_EQ(rows, 1) << "the first request went on";
  EXPECT_EQ(Requests(), 1);
}

}  // namespace
