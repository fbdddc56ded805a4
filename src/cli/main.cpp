// tolvan: the command-line companion of the window program.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace cli {

// Each subcommand lives in its own file.
int RunGenerate(const std::vector<std::string>& args);
int RunBrand(const std::vector<std::string>& args);
int RunTry(const std::vector<std::string>& args);
int RunPreview(const std::vector<std::string>& args);
int RunPublish(const std::vector<std::string>& args);

}  // namespace cli

namespace {

using cli::Command;
using cli::RunBrand;
using cli::RunGenerate;
using cli::RunPreview;
using cli::RunPublish;
using cli::RunTry;

const Command kCommands[] = {
    {"generate", "write the script package beside a sales page", RunGenerate},
    {"preview", "write a sample page with the offer's bar as visitors will see it", RunPreview},
    {"try", "serve a sales page with its package here, to try it before upload", RunTry},
    {"publish", "put the generated package and the page on your host (SFTP, FTPS, FTP)",
     RunPublish},
    {"brand", "encrypt, decrypt or check a brand settings file", RunBrand},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "Usage: tolvan COMMAND [OPTIONS]\n\nCommands:\n");
  for (const auto& command : kCommands)
    std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
  std::fprintf(out, "\nRun 'tolvan COMMAND --help' for a command's options.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  for (const auto& command : kCommands) {
    if (name == command.name) return command.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "tolvan: unknown command '%s'; run 'tolvan --help' for the list\n",
               name.c_str());
  return 2;
}
