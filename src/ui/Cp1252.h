#pragma once

#include <QString>
#include <string_view>

namespace ui {

// Single-byte texts of the brand document and the news service are
// Windows-1252 bytes; widgets get them converted here.
QString FromCp1252(std::string_view bytes);

}  // namespace ui
