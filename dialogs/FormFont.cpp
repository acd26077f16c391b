#include "dialogs/FormFont.h"

#include <QWidget>

void installFormFontSubstitution() {
    const QString family = QString::fromUtf16(FormFontFamily);
    const QString substitute = QString::fromUtf16(FormFontSubstitute);
    if (!QFont::substitutes(family).contains(substitute))
        QFont::insertSubstitution(family, substitute);
}

QFont formFont() {
    QFont font(QString::fromUtf16(FormFontFamily));
    font.setPixelSize(12);
    return font;
}

void setFixedForm(QWidget& form, int width, int height) {
    form.setFont(formFont());
    form.setFixedSize(width, height);
}
