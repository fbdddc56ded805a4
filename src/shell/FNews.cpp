#include "shell/FNews.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

#include "brand/LastNewsId.h"
#include "news/NewsRequests.h"
#include "ui/Application.h"
#include "ui/Cp1252.h"
#include "ui/HtmlView.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursors.h"

namespace shell {

namespace {

// The id travels back to the service byte for byte, whatever its display.
constexpr int kNewsIdRole = Qt::UserRole;
constexpr int kNewsIdColumn = 2;

// The hourglass on the list, the HTML view and the window, and the busy flag,
// for exactly as long as the object lives.
class BusyCursors {
 public:
  BusyCursors(bool& busy, std::initializer_list<QWidget*> widgets)
      : busy_(busy), cursors_(widgets) {
    busy_ = true;
  }
  ~BusyCursors() { busy_ = false; }
  BusyCursors(const BusyCursors&) = delete;
  BusyCursors& operator=(const BusyCursors&) = delete;

 private:
  bool& busy_;
  ui::WaitCursors cursors_;
};

}  // namespace

TfrmNews::TfrmNews(QWidget* parent, ui::MessageBox& messages, std::string programFolder,
                   news::Service service, UUtils::StringList entries)
    : QDialog(parent),
      msgMain(messages),
      programFolder_(std::move(programFolder)),
      service_(std::move(service)),
      entries_(std::move(entries)) {
  setObjectName(QStringLiteral("frmNews"));
  setWindowTitle(QStringLiteral("News"));
  setAttribute(Qt::WA_StyledBackground);

  bsSkinPanel1 = new QWidget;
  bsSkinPanel1->setObjectName(QStringLiteral("bsSkinPanel1"));
  bsSkinPanel1->setMinimumHeight(10);
  lvwItems = new ui::ListView(bsSkinPanel1);
  lvwItems->setObjectName(QStringLiteral("lvwItems"));
  lvwItems->setColumnCount(3);
  lvwItems->setHeaderLabels({QStringLiteral("News Title"), QStringLiteral("Published")});
  lvwItems->setColumnHidden(kNewsIdColumn, true);
  lvwItems->header()->setStretchLastSection(false);
  lvwItems->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lvwItems->header()->setSectionResizeMode(1, QHeaderView::Fixed);
  lvwItems->setColumnWidth(1, 160);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(14);
  lvwItems->setFont(font);
  lvwItems->Changing = [this] { return lvwItemsChanging(); };
  ui::ConnectHandler(lvwItems, &QTreeWidget::itemSelectionChanged, this, &TfrmNews::lvwItemsChange);
  auto* listFrame = new QVBoxLayout(bsSkinPanel1);
  listFrame->setContentsMargins(0, 0, 0, 0);
  listFrame->addWidget(lvwItems);

  prfEditorNews = new ui::HtmlView;
  prfEditorNews->setObjectName(QStringLiteral("prfEditorNews"));

  bsSkinSplitter1 = new QSplitter(Qt::Vertical);
  bsSkinSplitter1->setObjectName(QStringLiteral("bsSkinSplitter1"));
  bsSkinSplitter1->setHandleWidth(10);
  bsSkinSplitter1->setChildrenCollapsible(false);
  bsSkinSplitter1->addWidget(bsSkinPanel1);
  bsSkinSplitter1->addWidget(prfEditorNews);
  bsSkinSplitter1->setStretchFactor(1, 1);

  bsSkinPanel2 = new QWidget;
  bsSkinPanel2->setObjectName(QStringLiteral("bsSkinPanel2"));
  bsSkinPanel2->setFixedHeight(41);
  btnExit = new QPushButton(QStringLiteral("Close"), bsSkinPanel2);
  btnExit->setObjectName(QStringLiteral("btnExit"));
  btnExit->setFixedSize(97, 20);
  ui::ConnectHandler(btnExit, &QPushButton::clicked, this, &TfrmNews::btnExitClick);
  // Designed at 304 of 682 pixels: the spaces on either side share any
  // change of width in that proportion.
  auto* strip = new QHBoxLayout(bsSkinPanel2);
  strip->setContentsMargins(0, 7, 0, 14);
  strip->addStretch(304);
  strip->addWidget(btnExit, 0, Qt::AlignTop);
  strip->addStretch(682 - 304 - 97);

  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->setSpacing(0);
  frame->addWidget(bsSkinSplitter1, 1);
  frame->addWidget(bsSkinPanel2);

  resize(682, 411);
  bsSkinSplitter1->setSizes({105, 411 - 41 - 105 - 10});
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TfrmNews::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TfrmNews::FormShow() {
  for (const std::string& entry : entries_) {
    UUtils::StringList pieces;
    UUtils::SplitString('^', entry, pieces);
    // An entry cut short shows its missing columns empty.
    pieces.resize(std::max<size_t>(pieces.size(), 3));
    auto* row = new QTreeWidgetItem(lvwItems);
    row->setText(0, ui::FromCp1252(pieces[1]));
    row->setText(1, ui::FromCp1252(pieces[2]));
    row->setText(kNewsIdColumn, ui::FromCp1252(pieces[0]));
    row->setData(kNewsIdColumn, kNewsIdRole, QByteArray::fromStdString(pieces[0]));
  }
  lvwItems->clearSelection();
  lvwItems->setCurrentItem(nullptr);
}

bool TfrmNews::lvwItemsChanging() const { return !FBusy; }

void TfrmNews::lvwItemsChange() {
  const QList<QTreeWidgetItem*> selected = lvwItems->selectedItems();
  if (selected.isEmpty()) return;
  const std::string newsId =
      selected.front()->data(kNewsIdColumn, kNewsIdRole).toByteArray().toStdString();
  const BusyCursors busy(FBusy, {lvwItems, prfEditorNews->viewport(), this});
  std::string details;
  if (!GetNewsDetails(newsId, details)) return;
  prfEditorNews->setHtml(ui::FromCp1252(details));
  brand::SaveLastNewsId(programFolder_, newsId);
}

bool TfrmNews::GetNewsDetails(std::string newsId, std::string& details) {
  details.clear();
  const news::Outcome outcome =
      news::GetNewsDetails(service_, news::kNewsTarget, std::move(newsId), details);
  if (!outcome.warning.empty()) {
    msgMain.Show(QString::fromLatin1(outcome.warning.c_str()), ui::MessageKind::Warning);
  }
  return outcome.ok;
}

void TfrmNews::btnExitClick() { accept(); }

void TfrmNews::done(int result) {
  // Closing the window ends the item's request too: nothing comes of it.
  if (FBusy) news::Cancel();
  QDialog::done(result);
}

}  // namespace shell
