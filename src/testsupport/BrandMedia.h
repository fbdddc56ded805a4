#pragma once

#include <zlib.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <string>
#include <string_view>

// Small pictures and skins as a reseller ships them beside the program.
namespace brandmedia {

// A still picture of one colour in `format` ("jpeg", "bmp", "ico", ...).
inline std::string Picture(int width, int height, const char* format) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::darkCyan);
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.write(image);
  return buffer.data().toStdString();
}

// An animated GIF of `frames` frames of alternating colours. Every pixel is
// sent as a clear code and a literal, so the codes stay three bits wide.
inline std::string AnimatedGif(int width, int height, int frames) {
  std::string gif = "GIF89a";
  const auto word = [&gif](int value) {
    gif += char(value & 0xFF);
    gif += char(value >> 8);
  };
  word(width);
  word(height);
  gif += std::string(
      "\x80\x00\x00"
      "\xFF\x00\x00"
      "\x00\x00\xFF",
      9);  // two colours
  gif += std::string(
      "\x21\xFF\x0B"
      "NETSCAPE2.0"
      "\x03\x01\x00\x00\x00",
      19);
  for (int frame = 0; frame < frames; ++frame) {
    gif += std::string("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);  // 1/10 s a frame
    gif += '\x2C';
    word(0);
    word(0);
    word(width);
    word(height);
    gif += '\x00';
    gif += '\x02';  // the smallest code size
    std::string codes;
    unsigned bits = 0, count = 0;
    const auto put = [&](unsigned code) {
      bits |= code << count;
      count += 3;
      while (count >= 8) {
        codes += char(bits & 0xFF);
        bits >>= 8;
        count -= 8;
      }
    };
    for (int i = 0; i < width * height; ++i) {
      put(4);
      put(frame % 2);
    }
    put(5);
    if (count > 0) codes += char(bits & 0xFF);
    for (std::size_t at = 0; at < codes.size(); at += 255) {
      const std::string block = codes.substr(at, 255);
      gif += char(block.size());
      gif += block;
    }
    gif += '\x00';
  }
  gif += '\x3B';
  return gif;
}

// A skin file: the style sheet, zlib-compressed.
inline std::string Skin(std::string_view sheet) {
  std::string packed(compressBound(uLong(sheet.size())), '\0');
  uLongf size = uLongf(packed.size());
  compress(reinterpret_cast<Bytef*>(packed.data()), &size,
           reinterpret_cast<const Bytef*>(sheet.data()), uLong(sheet.size()));
  packed.resize(size);
  return packed;
}

}  // namespace brandmedia
