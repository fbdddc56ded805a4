#pragma once

#include <sys/stat.h>

#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "brand/BrandProfile.h"
#include "shell/FMain.h"
#include "shell/tests/Controls.h"
#include "testsupport/Environment.h"
#include "testsupport/Files.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"
#include "ui/BalloonHint.h"
#include "ui/MessageBox.h"
#include "brand/BrandFileCipher.h"
#include "util/TextLines.h"

namespace shelltest {

namespace fs = std::filesystem;

// A publisher's web host on the loopback, with the news service under /news/
// (every request logged) and the update folder under
// /liveupdate/hurrex_tolvan/; and a program folder and a user's cache folder
// of the test's own.
class PublisherHost {
 public:
  PublisherHost() {
    fs::create_directories(Www() / "liveupdate" / "hurrex_tolvan");
    fs::create_directories(App());
    fs::create_directories(Items() / "pub1" / "HT200");
    fs::create_directory_symlink(NEWS_SERVICE_DIR, Www() / "news");
    server_.emplace(
        Www().string(),
        testsupport::PhpServer::Options{
            {{"NEWS_DATA", Items().string()}, {"NEWS_REQUEST_LOG", folder_.Path("log")}}, {}});
  }

  fs::path App() const { return folder_.Root() / "app"; }
  std::string AppFolder() const { return App().string() + "/"; }
  std::string Url(const std::string& path) const { return server_->Url(path); }
  std::string UpdateUrl() const { return Url("liveupdate/hurrex_tolvan/"); }
  // Where the program keeps the downloaded descriptor.
  fs::path Descriptor() const { return folder_.Root() / "cache" / "hurrex-tolvan" / "mainappupdate.inf"; }

  // The update descriptor the host offers.
  void Publish(const std::string& version) {
    testsupport::WriteFile(Www() / "liveupdate" / "hurrex_tolvan" / "mainappupdate.inf",
                           "[APPLICATION]\r\nName=Hurrex Tolvan\r\nVersion=" + version + "\r\n");
  }
  void WriteItem(int id, const std::string& title) {
    testsupport::WriteFile(Items() / "pub1" / "HT200" / (std::to_string(id) + ".news"),
                           "Title: " + title + "\nPublished: today\n\n<p>" + title + "</p>");
  }
  void RemoveItem(int id) {
    fs::remove(Items() / "pub1" / "HT200" / (std::to_string(id) + ".news"));
  }
  // A script at `path` under the web root.
  void WriteScript(const std::string& path, const std::string& php) {
    testsupport::WriteFile(Www() / path, php);
  }
  int NewsRequests() const { return int(testsupport::FileLines(folder_.Path("log")).size()); }

  // The brand file in the program folder, with a LastNewsId entry unless
  // `lastNewsId` is nothing.
  void WriteBrandFile(const std::optional<std::string>& lastNewsId) {
    UUtils::StringList lines{"<%%ApplicationName%%>Hurrex Tolvan<%%/ApplicationName%%>"};
    if (lastNewsId) lines.push_back("<%%LastNewsId%%>" + *lastNewsId + "<%%/LastNewsId%%>");
    UUtils::WriteLines(folder_.Path("brand.txt"), lines);
    brand::EncryptToFile(folder_.Path("brand.txt"), (App() / "dbsettings.dat").string());
  }

  // An updater that writes its arguments, one a line, to "Updater.log".
  void WriteUpdater(bool executable = true) {
    const fs::path updater = App() / "Updater";
    testsupport::WriteFile(
        updater,
        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.log.part\"\n"
        "/bin/mv \"$0.log.part\" \"$0.log\"\n");
    ::chmod(updater.c_str(), executable ? 0755 : 0644);
  }
  // What the updater logged, once it has run; nothing when it never ran.
  std::optional<std::string> UpdaterLog(int waitMs) const {
    const fs::path log = App() / "Updater.log";
    for (int waited = 0; waited < waitMs && !fs::exists(log); waited += 10) QTest::qWait(10);
    if (!fs::exists(log)) return std::nullopt;
    return UUtils::ReadFileBytes(log.string());
  }

  // The main window, its start-up tick held back, asking this host (or
  // `updateBaseUrl` for updates) and keeping its files in the program folder.
  // The brand the test has set stays in force over the file's.
  std::unique_ptr<shell::TfrmMain> Window(std::string updateBaseUrl = {}) const {
    const brand::TBrandProfile profile = brand::BrandProfile;
    auto window = std::make_unique<shell::TfrmMain>(
        AppFolder(), updateBaseUrl.empty() ? UpdateUrl() : std::move(updateBaseUrl));
    brand::BrandProfile = profile;
    Control<QTimer>(*window, "Timer1")->stop();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
  }

  std::vector<std::string> AppFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(App()))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  fs::path Www() const { return folder_.Root() / "www"; }
  fs::path Items() const { return folder_.Root() / "items"; }

  testsupport::TempFolder folder_;
  testsupport::Environment cache_{"XDG_CACHE_HOME", folder_.Path("cache")};
  std::optional<testsupport::PhpServer> server_;
};

// What a test of the window starts and ends with: no brand, nothing shown.
inline void ForgetEverythingShown() {
  brand::BrandProfile = {};
  ui::MessageBox::ClearShown();
  ui::BalloonHint::ClearShown();
}

}  // namespace shelltest
