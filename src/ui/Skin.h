#pragma once

#include <QFont>
#include <QPalette>
#include <QString>
#include <optional>
#include <string_view>

namespace ui {

// A skin is a Qt style sheet stored zlib-compressed: the built-in one inside
// the program, or one from a skin file.
namespace Skin {

// Inflates compressed skin data; nothing when the data is not a whole zlib
// stream of UTF-8 text.
std::optional<QString> Inflate(std::string_view compressed);

// The program's built-in skin, inflated.
QString BuiltIn();

// The toolkit's text under every skin: its font and its text colour over the
// given palette. The application carries them, so that widgets are made in
// them and no style sheet rule has to restyle each one.
QFont BaseFont();
QPalette BasePalette(QPalette palette);

}  // namespace Skin

}  // namespace ui
