#include <qt6keychain/keychain.h>

#include <QEventLoop>

#include "publish/Keyring.h"

namespace publish {

namespace {

constexpr char kService[] = "Hurrex Tolvan publishing";

// Runs a keyring job to its end; the window's events go on meanwhile.
bool Finish(QKeychain::Job& job) {
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
  return job.error() == QKeychain::NoError;
}

class DesktopKeyring : public Keyring {
 public:
  std::optional<std::string> Read(const std::string& account) override {
    QKeychain::ReadPasswordJob job(QString::fromLatin1(kService));
    job.setAutoDelete(false);
    job.setKey(QString::fromStdString(account));
    if (!Finish(job)) return std::nullopt;
    return job.textData().toStdString();
  }

  bool Write(const std::string& account, const std::string& password) override {
    QKeychain::WritePasswordJob job(QString::fromLatin1(kService));
    job.setAutoDelete(false);
    job.setKey(QString::fromStdString(account));
    job.setTextData(QString::fromStdString(password));
    return Finish(job);
  }

  void Forget(const std::string& account) override {
    QKeychain::DeletePasswordJob job(QString::fromLatin1(kService));
    job.setAutoDelete(false);
    job.setKey(QString::fromStdString(account));
    Finish(job);
  }
};

Keyring* replacement = nullptr;

}  // namespace

Keyring& TheKeyring() {
  static DesktopKeyring desktop;
  return replacement ? *replacement : desktop;
}

void UseKeyring(Keyring* keyring) { replacement = keyring; }

}  // namespace publish
