// A plugin the installed-program test loads into the real window (offscreen,
// through QT_QPA_GENERIC_PLUGINS=windowprobe:REPORT) to see what a user would
// see, one line each in REPORT:
//   title TEXT      the main window's caption, once it shows
//   message TEXT    a message box (it is answered, so that the run goes on)
//   balloon         the start-up check's news balloon
//   opened ID       (with WINDOW_PROBE_NEWS=1) the news item it opened
//   done            the run ended; the window is closed
// It leaves the welcome page as a user would, gives the start-up check time to
// announce news and then, when asked, opens the news window and its first item.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QTimer>
#include <QTreeWidget>

namespace {

class Probe : public QObject {
 public:
  explicit Probe(const QString& report) : report_(report) {
    report_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    timer_.start(100);
  }

 private:
  void Write(const QString& line) {
    report_.write(line.toUtf8() + '\n');
    report_.flush();
  }

  static QWidget* Shown(const QString& name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (widget->isVisible() && widget->objectName() == name) return widget;
    }
    return nullptr;
  }

  void AnswerMessageBoxes() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (!box || !box->isVisible() || answered_.contains(box)) continue;
      answered_.push_back(box);
      Write("message " + box->text());
      QTimer::singleShot(0, box, [box] { box->done(QMessageBox::Ok); });
    }
  }

  void Tick() {
    ++ticks_;
    AnswerMessageBoxes();
    QWidget* main = Shown(QStringLiteral("frmMain"));
    if (!main) {
      if (ticks_ > 300) Finish(nullptr);
      return;
    }
    if (!titled_) {
      titled_ = true;
      Write("title " + main->windowTitle());
      // Past the welcome page, where the start-up check begins.
      if (auto* next = main->findChild<QAbstractButton*>(QStringLiteral("bsSkinButton1"));
          next && next->isVisible()) {
        next->click();
      }
      shownAt_ = ticks_;
    }
    if (!ballooned_ && Shown(QStringLiteral("balloonHint"))) {
      ballooned_ = true;
      Write(QStringLiteral("balloon"));
    }
    // Time for the start-up check: the news answer, then the quiet update check.
    if (ticks_ - shownAt_ < 50) return;
    if (!qEnvironmentVariableIsSet("WINDOW_PROBE_NEWS")) return Finish(main);

    if (!newsAsked_) {
      newsAsked_ = true;
      if (auto* news = main->findChild<QAbstractButton*>(QStringLiteral("btnNews"))) {
        // The news window is modal: it is clicked from the loop, not from here.
        QTimer::singleShot(0, news, &QAbstractButton::click);
      }
      return;
    }
    QWidget* newsWindow = Shown(QStringLiteral("frmNews"));
    if (!newsWindow) {
      if (ticks_ - shownAt_ > 200) Finish(main);
      return;
    }
    auto* items = newsWindow->findChild<QTreeWidget*>(QStringLiteral("lvwItems"));
    if (!opened_ && items && items->topLevelItemCount() > 0) {
      opened_ = true;
      openedAt_ = ticks_;
      QTreeWidgetItem* first = items->topLevelItem(0);
      Write("opened " + first->text(items->columnCount() - 1));
      items->setCurrentItem(first);
      return;
    }
    // The item's text comes over the network; then the window is closed.
    if (opened_ && ticks_ - openedAt_ > 20) {
      static_cast<QDialog*>(newsWindow)->accept();
      QTimer::singleShot(500, main, [this, main] { Finish(main); });
      timer_.stop();
    }
  }

  void Finish(QWidget* main) {
    timer_.stop();
    AnswerMessageBoxes();
    Write(QStringLiteral("done"));
    if (main) main->close();
    QCoreApplication::quit();
  }

  QFile report_;
  QTimer timer_;
  QList<QObject*> answered_;
  int ticks_ = 0, shownAt_ = 0, openedAt_ = 0;
  bool titled_ = false, ballooned_ = false, newsAsked_ = false, opened_ = false;
};

}  // namespace

class WindowProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "windowprobe.json")

 public:
  QObject* create(const QString& key, const QString& report) override {
    return key == QLatin1String("windowprobe") ? new Probe(report) : nullptr;
  }
};

#include "WindowProbe.moc"
