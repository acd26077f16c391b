#include "components/cdiroutl/Cdiroutl.h"
#include "components/gallery/GalleryControls.h"
#include "components/gallery/GalleryPages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaEnum>
#include <exception>

namespace gallery {

QWidget* makeCdiroutlPage() {
    auto* outline = new TCDirectoryOutline;
    auto* page = new ComponentPage(outline);
    QFormLayout* form = page->controls();

    auto* textCase = new QComboBox;
    const QMetaEnum cases = QMetaEnum::fromType<TCDirectoryOutline::TTextCase>();
    for (int i = 0; i < cases.keyCount(); ++i)
        textCase->addItem(QString::fromLatin1(cases.key(i)), cases.value(i));
    textCase->setCurrentIndex(textCase->findData(static_cast<int>(outline->TextCase())));
    form->addRow(QStringLiteral("TextCase"), textCase);

    auto* directory = new QLineEdit;
    directory->setPlaceholderText(QStringLiteral("a folder, then Enter"));
    form->addRow(QStringLiteral("Directory"), directory);
    auto* drive = new QLabel;
    form->addRow(QStringLiteral("Drive"), drive);

    const auto showState = [=] {
        directory->setText(outline->Directory());
        drive->setText(outline->Drive());
    };

    QObject::connect(textCase, &QComboBox::currentIndexChanged, page, [=] {
        outline->SetTextCase(
            static_cast<TCDirectoryOutline::TTextCase>(textCase->currentData().toInt()));
        showState();
    });
    QObject::connect(directory, &QLineEdit::returnPressed, page, [=] {
        try {
            outline->SetDirectory(directory->text());
        } catch (const std::exception& error) {
            page->log(QStringLiteral("error: ") + QString::fromStdString(error.what()));
        }
        showState();
    });
    QObject::connect(outline, &TCDirectoryOutline::OnChange, page, [=] {
        page->log(QStringLiteral("OnChange ") + outline->Directory());
        showState();
    });
    return page;
}

} // namespace gallery
