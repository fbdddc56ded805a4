#include "publish/SavedDestination.h"

#include <QSettings>
#include <QStandardPaths>
#include <filesystem>

#include "cipher/Sha256.h"

namespace publish {

namespace {

// A page's group in the settings: its absolute path, hashed so that any path makes a key.
QString GroupOf(const std::string& page) {
  std::error_code error;
  const std::string absolute = std::filesystem::absolute(page, error).lexically_normal().string();
  const auto digest = AesLib::Sha256(absolute);
  return QStringLiteral("page-") +
         QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest.data()), 16).toHex());
}

QSettings Settings() {
  return QSettings(QString::fromStdString(PublishSettingsFile()), QSettings::IniFormat);
}

}  // namespace

std::string PublishSettingsFile() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
         "/hurrex-tolvan/publish.ini";
}

std::optional<SavedDestination> LoadDestination(const std::string& page) {
  QSettings settings = Settings();
  settings.beginGroup(GroupOf(page));
  if (!settings.contains("address")) return std::nullopt;
  SavedDestination saved;
  saved.address = settings.value("address").toString().toStdString();
  saved.identityFile = settings.value("identityFile").toString().toStdString();
  saved.caFile = settings.value("caFile").toString().toStdString();
  saved.siteUrl = settings.value("siteUrl").toString().toStdString();
  saved.passwordInKeyring = settings.value("passwordInKeyring").toBool();
  return saved;
}

void SaveDestination(const std::string& page, const SavedDestination& saved) {
  QSettings settings = Settings();
  settings.beginGroup(GroupOf(page));
  settings.setValue("address", QString::fromStdString(saved.address));
  settings.setValue("identityFile", QString::fromStdString(saved.identityFile));
  settings.setValue("caFile", QString::fromStdString(saved.caFile));
  settings.setValue("siteUrl", QString::fromStdString(saved.siteUrl));
  settings.setValue("passwordInKeyring", saved.passwordInKeyring);
  settings.endGroup();
  settings.sync();
}

std::string KeyringAccount(const std::string& address) { return address; }

}  // namespace publish
