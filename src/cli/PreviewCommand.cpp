// tolvan preview: the window's "Preview" from the command line, into a file.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/GenerateOptions.h"
#include "preview/PreviewPage.h"
#include "util/AppError.h"
#include "util/TextLines.h"

namespace cli {

int RunPreview(const std::vector<std::string>& args) {
  GenerateRequest request;
  if (const auto done = ReadOfferCommand("preview", args, PreviewHelp, request)) return *done;
  std::error_code error;
  const bool taken = std::filesystem::exists(request.output, error) || error;
  if (taken && !request.force && !preview::IsPreviewFile(request.output)) {
    std::fprintf(stderr,
                 "tolvan preview: %s exists and is no preview; it was left as it is. Give "
                 "--force to replace it.\n",
                 request.output.c_str());
    return 1;
  }
  try {
    UUtils::WriteFileBytes(request.output,
                           preview::PreviewPage(request.settings, std::time(nullptr)));
  } catch (const UUtils::AppError& e) {
    std::fprintf(stderr, "tolvan preview: %s\n", e.what());
    return 1;
  }
  std::printf("Preview written to %s\n", request.output.c_str());
  return 0;
}

}  // namespace cli
