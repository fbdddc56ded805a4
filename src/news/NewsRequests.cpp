#include "news/NewsRequests.h"

#include "net/HttpClient.h"
#include "net/RequestGroup.h"
#include "news/NewsAnswers.h"

namespace news {

namespace {

constexpr char kListScript[] = "getlastnews.php";
constexpr char kDetailsScript[] = "getnewsdetails.php";

net::RequestGroup requests;

// The trimmed answer of one request, or the reason why nothing is to follow.
struct Answer {
  std::string trimmed;
  bool interrupted = false;
};

Answer Ask(const Service& service, const char* script, const std::vector<net::FormField>& fields,
           net::Priority priority) {
  Answer answer;
  const net::RequestGroup::Member asking(requests);
  try {
    const std::string url = RequestUrl(service.baseUrl, script);
    answer.trimmed = TrimAnswer(
        net::HttpClient::Instance().PostMultipart(url, fields, kMaxAnswerBytes, priority));
  } catch (const net::HttpInterrupted&) {
    answer.interrupted = true;
  } catch (const std::exception&) {
    // Any failed exchange, an answer beyond the limit among them, reads as
    // an empty answer.
  }
  return answer;
}

// The list script answers both the whole list and the newest item, told
// apart by the content type.
Answer AskList(const Service& service, const std::string& newsTarget, const char* contentType,
               net::Priority priority) {
  return Ask(service, kListScript,
             {{"memusername", service.publisherId},
              {"prodcode", service.productCode},
              {"prodtype", service.tierCode},
              {"conttype", contentType},
              {"newstarget", newsTarget},
              {"something", ""}},
             priority);
}

// The outcome of an answer that is no success.
Outcome Failed(const Answer& answer, Operation operation) {
  Outcome outcome;
  outcome.interrupted = answer.interrupted;
  if (!answer.interrupted) outcome.warning = FailureMessage(answer.trimmed, operation);
  return outcome;
}

Outcome Succeeded() {
  Outcome outcome;
  outcome.ok = true;
  return outcome;
}

}  // namespace

void Cancel() {
  requests.Cancel();
}

std::string RequestUrl(const std::string& baseUrl, const char* script) {
  if (!baseUrl.empty() && baseUrl.back() == '/') return baseUrl + script;
  return baseUrl + "/" + script;
}

Outcome GetNewsList(const Service& service, std::string newsTarget, UUtils::StringList& entries) {
  const Answer answer = AskList(service, newsTarget, "all", net::Priority::User);
  if (answer.interrupted || !IsSuccess(answer.trimmed)) return Failed(answer, Operation::List);
  ParseList(answer.trimmed, entries);
  return Succeeded();
}

Outcome GetLastNews(const Service& service, std::string newsTarget, std::string& lastId,
                    std::string& title) {
  lastId.clear();
  // Asked by the program itself, at start: a user's request takes its place.
  const Answer answer = AskList(service, newsTarget, "lastcode", net::Priority::Background);
  if (answer.interrupted || !IsSuccess(answer.trimmed)) return Failed(answer, Operation::Last);
  ParseLast(answer.trimmed, lastId, title);
  return Succeeded();
}

Outcome GetNewsDetails(const Service& service, std::string newsTarget, std::string newsId,
                       std::string& details) {
  details.clear();
  const Answer answer = Ask(service, kDetailsScript,
                            {{"memusername", service.publisherId},
                             {"prodcode", service.productCode},
                             {"prodtype", service.tierCode},
                             {"newsid", newsId},
                             {"newstarget", newsTarget},
                             {"something", ""}},
                            net::Priority::User);
  if (answer.interrupted || !IsSuccess(answer.trimmed)) return Failed(answer, Operation::Details);
  details = ParseDetails(answer.trimmed);
  return Succeeded();
}

}  // namespace news
