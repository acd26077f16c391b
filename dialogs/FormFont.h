#pragma once

#include <QFont>

class QWidget;

// The family every form asks for; the installed Japanese gothic stands in.
inline constexpr char16_t FormFontFamily[] = u"ＭＳ Ｐゴシック";
inline constexpr char16_t FormFontSubstitute[] = u"IPAPGothic";

// Maps the requested family onto the installed one; call once at start-up.
void installFormFontSubstitution();
// The forms' font: the family above, 12 pixels high.
[[nodiscard]] QFont formFont();
// Gives `form` the forms' font and a fixed client area of `width` × `height`.
void setFixedForm(QWidget& form, int width, int height);
