#include "update/DownloadToFile.h"

#include <filesystem>

#include "ui/HttpClient.h"
#include "util/ReplacementFile.h"

namespace update {

Download DownloadToFile(const std::string& url, const std::string& fileName) {
  ui::HttpClient& client = ui::HttpClient::Instance();
  // A second download during a first would only be refused by the client:
  // it must not touch the first one's file either.
  if (client.Busy()) return Download::Interrupted;
  std::error_code ignored;
  std::filesystem::remove(fileName, ignored);

  UUtils::ReplacementFile file(fileName);
  try {
    client.Get(url, [&file](std::string_view chunk) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
      return file.Stream().Write(bytes, chunk.size()) == chunk.size();
    });
    file.Commit();
  } catch (const ui::HttpInterrupted&) {
    return Download::Interrupted;
  } catch (const std::exception&) {
    return Download::Failed;
  }
  return Download::Stored;
}

}  // namespace update
