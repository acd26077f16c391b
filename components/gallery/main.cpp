// sorteka-gallery: shows the reusable components so a person can try them.
//   --page CLASS        open on that component's page (e.g. TCCalendar)
//   --screenshot FILE   save a picture of the window after `--wait` ms and quit

#include "components/gallery/GalleryPages.h"
#include "components/gallery/GalleryWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorteka-gallery"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows Sorteka's reusable components."));
    parser.addHelpOption();
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Component to show."),
                                  QStringLiteral("class"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window as a PNG and quit."),
                                        QStringLiteral("file"));
    const QCommandLineOption wait(QStringLiteral("wait"),
                                  QStringLiteral("Milliseconds before the screenshot."),
                                  QStringLiteral("ms"), QStringLiteral("0"));
    parser.addOptions({page, screenshot, wait});
    parser.process(app);

    gallery::GalleryWindow window(gallery::availablePages());
    if (parser.isSet(page) && !window.showPage(parser.value(page))) {
        std::fprintf(stderr, "sorteka-gallery: no page for %s\n", qPrintable(parser.value(page)));
        return 1;
    }
    window.show();

    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(parser.value(wait).toInt(), &window, [&window, file] {
            const bool saved = window.grab().save(file, "PNG");
            if (!saved)
                std::fprintf(stderr, "sorteka-gallery: cannot write %s\n", qPrintable(file));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
