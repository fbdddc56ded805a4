#include "update/DownloadToFile.h"

#include <filesystem>

#include "net/HttpClient.h"
#include "util/ReplacementFile.h"

namespace update {

Download DownloadToFile(const std::string& url, const std::string& fileName, std::size_t maxBytes,
                        net::Priority priority) {
  net::HttpClient& client = net::HttpClient::Instance();
  // A download that the client would refuse must not touch the running
  // one's file either.
  if (client.Refuses(priority)) return Download::Interrupted;
  std::error_code ignored;
  std::filesystem::remove(fileName, ignored);

  UUtils::ReplacementFile file(fileName);
  try {
    client.Get(
        url,
        [&file](std::string_view chunk) {
          const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
          return file.Stream().Write(bytes, chunk.size()) == chunk.size();
        },
        maxBytes, priority);
    file.Commit();
  } catch (const net::HttpInterrupted&) {
    return Download::Interrupted;
  } catch (const std::exception&) {
    return Download::Failed;
  }
  return Download::Stored;
}

}  // namespace update
