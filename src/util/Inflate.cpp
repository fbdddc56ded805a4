#include "util/Inflate.h"

#include <zlib.h>

namespace UUtils {

Inflated InflateAtMost(std::string_view compressed, std::size_t limit) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return {Inflated::Outcome::NotAStream, {}};
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());

  std::string data;
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    data.append(buffer, sizeof buffer - stream.avail_out);
    if (data.size() > limit) {
      inflateEnd(&stream);
      return {Inflated::Outcome::TooLarge, {}};
    }
  }
  const bool whole = status == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  if (!whole) return {Inflated::Outcome::NotAStream, {}};
  return {Inflated::Outcome::Inflated, std::move(data)};
}

}  // namespace UUtils
