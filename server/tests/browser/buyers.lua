-- wrk script: every buyer of a file of visitor cookies (one "name=value" a line) opens the
-- thank-you page once, each thread taking every n-th; then the threads ask only for a page that
-- counts nothing, until wrk is stopped.
--   wrk -t2 -s buyers.lua http://host/ -- cookies.txt 2 /thanks.php /next.html
local threads = 0

function setup(thread)
  thread:set("first", threads)
  threads = threads + 1
end

function init(args)
  cookies = {}
  for line in io.lines(args[1]) do cookies[#cookies + 1] = line end
  step = tonumber(args[2])
  thanks = args[3]
  rest = args[4]
  at = first + 1
  -- wrk calls the first thread's request() once before the run, to check what it makes.
  if first == 0 then at = at - step end
end

function request()
  if at < 1 or at > #cookies then
    at = at + (at < 1 and step or 0)
    return wrk.format("GET", rest)
  end
  local cookie = cookies[at]
  at = at + step
  return wrk.format("GET", thanks, { Cookie = cookie })
end
