#pragma once

#include <string>

namespace testsupport {

// One visitor of web pages, as a browser that runs no scripts: the cookies
// that servers set are kept and sent back; redirects are not followed.
class WebVisitor {
 public:
  struct Page {
    long status;
    std::string body;
  };

  WebVisitor();
  ~WebVisitor();
  WebVisitor(const WebVisitor&) = delete;
  WebVisitor& operator=(const WebVisitor&) = delete;

  // Throws std::runtime_error when nothing answers at `url`.
  Page Get(const std::string& url);

 private:
  void* curl_;
};

}  // namespace testsupport
