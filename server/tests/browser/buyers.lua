-- wrk: each request carries the cookie of a buyer of its own, from the file $HURREX_BUYERS (one
-- "name=value" a line). The two threads (-t2) take turns through the list.
local threads = 0

function setup(thread)
  thread:set("first", threads)
  threads = threads + 1
end

function init(args)
  cookies = {}
  for line in io.lines(os.getenv("HURREX_BUYERS")) do
    cookies[#cookies + 1] = line
  end
  next_buyer = first + 1
end

-- Past the end of the list a request carries no visitor cookie, and the test sees it uncounted.
function request()
  local cookie = cookies[next_buyer]
  next_buyer = next_buyer + 2
  return wrk.format(nil, nil, { Cookie = cookie or "none=1" })
end
