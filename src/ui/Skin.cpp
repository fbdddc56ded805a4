#include "ui/Skin.h"

#include <zlib.h>

#include <QtGlobal>
#include <string>

#include "util/AppError.h"

extern const unsigned char kBuiltInSkin[];
extern const std::size_t kBuiltInSkinSize;

// The skin's pictures live in the library's resources, which a static library
// must register itself.
static void RegisterSkinPictures() { Q_INIT_RESOURCE(skin); }

namespace ui::Skin {

std::optional<QString> Inflate(std::string_view compressed) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());

  std::string text;
  char buffer[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    status = inflate(&stream, Z_NO_FLUSH);
    text.append(buffer, sizeof buffer - stream.avail_out);
    if (text.size() > kMaxSize) {
      inflateEnd(&stream);
      throw UUtils::AppError("it inflates to more than 1 MB, more than a skin may hold");
    }
  }
  const bool whole = status == Z_STREAM_END && stream.avail_in == 0;
  inflateEnd(&stream);
  if (!whole) return std::nullopt;
  const QString sheet = QString::fromUtf8(text);
  if (sheet.toUtf8() != QByteArray::fromStdString(text)) return std::nullopt;
  return sheet;
}

QString BuiltIn() {
  RegisterSkinPictures();
  const auto* bytes = reinterpret_cast<const char*>(kBuiltInSkin);
  return Inflate(std::string_view(bytes, kBuiltInSkinSize)).value_or(QString());
}

QFont BaseFont() {
  QFont font(QStringList{"Liberation Sans", "Arial", "DejaVu Sans"});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

QPalette BasePalette(QPalette palette) {
  const QColor text(0x1f, 0x29, 0x33);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(QPalette::Active, role, text);
    palette.setColor(QPalette::Inactive, role, text);
  }
  // Selected text in fields, in the skin's accent.
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Highlight, QColor(0x25, 0x63, 0xeb));
    palette.setColor(group, QPalette::HighlightedText, Qt::white);
  }
  return palette;
}

}  // namespace ui::Skin
