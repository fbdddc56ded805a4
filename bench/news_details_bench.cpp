// A news item at the news answers' 4 MiB limit, from the answer to the text on
// the screen: decoding the answer, converting it to the widget's text, laying
// it out in the HTML view, and the whole way through the news window, its
// request to a loopback server included. Prints the best of five runs of each.
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "news/NewsAnswers.h"
#include "news/NewsRequests.h"
#include "shell/FNews.h"
#include "testsupport/HostileServer.h"
#include "testsupport/TempFolder.h"
#include "ui/Cp1252.h"
#include "ui/HtmlView.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;

// An answer of exactly the limit: paragraphs with escapes and Windows-1252
// letters, then the end mark.
std::string FullAnswer() {
  const std::string paragraph =
      "<p>Spring sale: save $2420 on every copy, \xE9t\xE9 $5E autumn $AF winter. "
      "<a href=\"http://shop.example/offer\">Order now</a> &ndash; <b>today only</b>.</p>\n";
  std::string answer;
  answer.reserve(news::kMaxAnswerBytes);
  while (answer.size() + paragraph.size() + 3 <= news::kMaxAnswerBytes) answer += paragraph;
  answer.append(news::kMaxAnswerBytes - 3 - answer.size(), ' ');
  return answer + "\xAFOK";
}

double BestMs(const std::function<void()>& run) {
  double best = 1e300;
  for (int i = 0; i < kRuns; ++i) {
    const Clock::time_point start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::MessageBox::AnswerAutomatically(true);

  const std::string answer = FullAnswer();
  std::string details;
  QString text;
  const double decode = BestMs([&] { details = news::ParseDetails(news::TrimAnswer(answer)); });
  const double convert = BestMs([&] { text = ui::FromCp1252(details); });
  ui::HtmlView view;
  view.resize(682, 250);
  view.show();
  const double layout = BestMs([&] {
    view.setHtml(text);
    QCoreApplication::processEvents();
  });

  // The whole way: a click on the item in the news window until its text shows.
  testsupport::HostileServer server;
  server.On("/news/getnewsdetails.php", testsupport::HostileServer::Ok(answer));
  const news::Service service{server.Url("news/"), "pub1", "HT200", "BG"};
  testsupport::TempFolder program;  // no brand file: nothing is stored
  ui::MessageBox messages;
  shell::TfrmNews window(nullptr, messages, program.Root().string() + "/", service,
                         {"1^Big^", "2^Other^"});
  window.show();
  (void)QTest::qWaitForWindowExposed(&window);
  auto* newsItems = window.findChild<ui::ListView*>("lvwItems");
  auto* newsView = window.findChild<ui::HtmlView*>("prfEditorNews");
  int row = 0;
  const double whole = BestMs([&] {
    newsItems->setCurrentItem(newsItems->topLevelItem(row));
    row = 1 - row;
  });
  const bool shown = newsView->toPlainText().startsWith("Spring sale");

  std::printf("news details of %zu bytes (%zu decoded), best of %d:\n", answer.size(),
              details.size(), kRuns);
  std::printf("  decode the answer        %8.1f ms\n", decode);
  std::printf("  convert to the widget    %8.1f ms\n", convert);
  std::printf("  lay out in the view      %8.1f ms\n", layout);
  std::printf("  click to text, whole way %8.1f ms%s\n", whole, shown ? "" : " (NOT SHOWN)");
  return shown ? 0 : 1;
}
