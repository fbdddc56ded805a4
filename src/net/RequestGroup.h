#pragma once

#include "net/HttpClient.h"

namespace net {

// The requests of one library on this thread's stack (a user's request may start while the
// program's own waits), so that the library can end its own and leave any other running.
class RequestGroup {
 public:
  // Counts one request of the group for as long as it lives.
  class Member {
   public:
    explicit Member(RequestGroup& group) : group_(group) { ++group_.running_; }
    ~Member() { --group_.running_; }
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

   private:
    RequestGroup& group_;
  };

  // Ends the request under way when it is one of the group's.
  void Cancel() {
    if (running_ > 0) HttpClient::Instance().Abort();
  }

 private:
  int running_ = 0;
};

}  // namespace net
