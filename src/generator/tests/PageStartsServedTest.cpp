// Pages that open with what PHP wants first still work once the package is in:
// each passes `php -l` and, served by PHP's own web server, shows the bar.
#include <gtest/gtest.h>

#include <cstdio>

#include "generator/GenerateScript.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "testsupport/WebVisitor.h"
#include "util/TextLines.h"

using namespace generator;

namespace {

constexpr char kBody[] = "<body><p>Content</p></body></html>\n";

}  // namespace

TEST(PageStartsServed, eachPageStartIsLintedAndServedWithTheBar) {
  const struct {
    const char* name;
    std::string page;
  } cases[] = {
      {"declare",
       std::string("<?php declare(strict_types=1);\n$title = 'Sales';\n?>\n<html><head><title>"
                   "<?= $title ?></title></head>") +
           kBody},
      {"namespace",
       std::string("<?php\nnamespace Shop\\Sales;\nfunction title(): string { return 'Sales'; }\n"
                   "?>\n<html><head><title><?= title() ?></title></head>") +
           kBody},
      {"byte-order mark",
       std::string("\xEF\xBB\xBF<html><head><title>Sales</title></head>") + kBody},
      {"shebang", std::string("#!/usr/bin/env php\n<?php $title = 'Sales'; ?>\n<html><head>"
                              "<title><?= $title ?></title></head>") +
                      kBody},
      {"plain HTML",
       std::string("<!DOCTYPE html>\n<html><head><title>Sales</title></head>") + kBody},
      {"XML declaration",
       std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<html xmlns=\"http://www.w3.org/"
                   "1999/xhtml\"><head><title>Sales</title></head>") +
           kBody},
  };
  const testsupport::TempFolder folder;
  const std::string page = folder.Path("index.php");
  const testsupport::PhpServer server(folder.Root().string(), {{}, {"opcache.enable=0"}});
  for (const auto& c : cases) {
    UUtils::WriteFileBytes(page, c.page);
    OfferSettings settings;
    settings.page = page;
    ASSERT_EQ(GenerateScript(settings, testsupport::BuiltAppFolder()).status,
              GenerateOutcome::Status::Generated)
        << c.name;

    const auto lint = testsupport::RunProgram("/usr/bin/env", {"php", "-l", page});
    EXPECT_EQ(lint.exitCode, 0) << c.name << "\n" << lint.out << lint.err;

    testsupport::WebVisitor visitor;
    const auto served = visitor.Get(server.Url("index.php"));
    EXPECT_EQ(served.status, 200) << c.name;
    EXPECT_NE(served.body.find("id=\"hurrex-bar\""), std::string::npos) << c.name << ": no bar in\n"
                                                                        << served.body;
    EXPECT_NE(served.body.find("<p>Content</p>"), std::string::npos) << c.name;
    EXPECT_EQ(served.body.find("rror"), std::string::npos) << c.name << "\n" << served.body;
  }
}
