#include "ui/Skin.h"

#include <QtGlobal>
#include <string>

#include "util/Inflate.h"

extern const unsigned char kBuiltInSkin[];
extern const std::size_t kBuiltInSkinSize;

// The skin's pictures live in the library's resources, which a static library
// must register itself.
static void RegisterSkinPictures() { Q_INIT_RESOURCE(skin); }

namespace ui::Skin {

std::optional<QString> Inflate(std::string_view compressed) {
  // zlib inflates a byte to at most 1032: this bound never cuts a stream.
  const auto inflated = UUtils::InflateAtMost(compressed, compressed.size() * 1032 + 64);
  if (inflated.outcome != UUtils::Inflated::Outcome::Inflated) return std::nullopt;
  const QString sheet = QString::fromUtf8(inflated.data);
  if (sheet.toUtf8() != QByteArray::fromStdString(inflated.data)) return std::nullopt;
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
