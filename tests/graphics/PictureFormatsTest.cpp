#include "graphics/PictureFormats.h"

#include "PictureFiles.h"
#include "graphics/BitmapPicture.h"
#include "graphics/GraphicErrors.h"
#include "graphics/IconPicture.h"
#include "graphics/MetafilePicture.h"
#include "support/TempDir.h"

#include <QIODevice>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

// A picture type as a plug-in collection would add one: portable pixmaps.
class PortablePixmapPicture : public Picture {
public:
    void loadFromStream(QIODevice& device) override {
        QImageReader reader(&device, "ppm");
        reader.setDecideFormatFromContent(false);
        QImage image = reader.read();
        if (image.isNull())
            throw EInvalidGraphic(QStringLiteral("no portable pixmap"));
        setImage(image);
    }
};

PictureFormats::Factory portablePixmaps() {
    return [] { return std::make_unique<PortablePixmapPicture>(); };
}

QStringList extensionsOf(const PictureFormats& formats) {
    QStringList list;
    for (const PictureFormat& format : formats.formats())
        list.append(format.extension);
    return list;
}

} // namespace

TEST(PictureFormats, StartsWithTheFourBuiltInFormats) {
    const PictureFormats formats;
    EXPECT_EQ(extensionsOf(formats), (QStringList{"bmp", "ico", "wmf", "emf"}));
    for (const PictureFormat& format : formats.formats())
        EXPECT_FALSE(format.description.isEmpty()) << format.extension.toStdString();

    EXPECT_NE(dynamic_cast<BitmapPicture*>(formats.create("bmp").get()), nullptr);
    EXPECT_NE(dynamic_cast<IconPicture*>(formats.create("ico").get()), nullptr);
    EXPECT_NE(dynamic_cast<MetafilePicture*>(formats.create("wmf").get()), nullptr);
    EXPECT_NE(dynamic_cast<MetafilePicture*>(formats.create("emf").get()), nullptr);
    EXPECT_EQ(formats.create("png"), nullptr);
    EXPECT_TRUE(PictureFormats::instance().isRegistered("bmp"));
}

TEST(PictureFormats, ComparesExtensionsWithoutRegardToCase) {
    PictureFormats formats;
    EXPECT_TRUE(formats.isRegistered("BMP"));
    EXPECT_TRUE(formats.isRegistered("Emf"));
    EXPECT_EQ(formats.descriptionOf("ICO"), formats.descriptionOf("ico"));

    ASSERT_TRUE(formats.registerFormat("PPM", "Portable pixmap", portablePixmaps()));
    EXPECT_TRUE(formats.isRegistered("ppm"));
    EXPECT_EQ(extensionsOf(formats).last(), "ppm");

    TempDir dir;
    const QString upper = dir.write("RED.BMP", encoded(halves(4, 2, Qt::red, Qt::red), "bmp"));
    const QString mixed = dir.write("Red.PpM", encoded(halves(4, 2, Qt::red, Qt::red), "ppm"));
    EXPECT_EQ(formats.loadFromFile(upper)->image().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(formats.loadFromFile(mixed)->image().pixelColor(3, 1), QColor(Qt::red));
}

TEST(PictureFormats, LatestRegistrationWinsAndNothingIsRemoved) {
    PictureFormats formats;
    ASSERT_TRUE(formats.registerFormat("bmp", "Bitmaps, read as pixmaps", portablePixmaps()));
    ASSERT_TRUE(formats.registerFormat(".ppm", "Portable pixmap", portablePixmaps()));
    ASSERT_TRUE(formats.registerFormat("ppm", "Portable pixmap (again)", portablePixmaps()));

    EXPECT_EQ(extensionsOf(formats), (QStringList{"bmp", "ico", "wmf", "emf", "ppm"}));
    EXPECT_EQ(formats.descriptionOf("bmp"), "Bitmaps, read as pixmaps");
    EXPECT_EQ(formats.descriptionOf("ppm"), "Portable pixmap (again)");
    EXPECT_NE(dynamic_cast<PortablePixmapPicture*>(formats.create("bmp").get()), nullptr);

    // The new type now reads every .bmp: a pixmap under that name loads, a real
    // bitmap does not.
    TempDir dir;
    const QString pixmap =
        dir.write("pixmap.bmp", encoded(halves(4, 2, Qt::blue, Qt::blue), "ppm"));
    const QString bitmap =
        dir.write("bitmap.bmp", encoded(halves(4, 2, Qt::blue, Qt::blue), "bmp"));
    EXPECT_EQ(formats.loadFromFile(pixmap)->width(), 4);
    EXPECT_THROW((void)formats.loadFromFile(bitmap), EInvalidGraphic);
}

TEST(PictureFormats, RefusesEmptyRegistrations) {
    PictureFormats formats;
    EXPECT_FALSE(formats.registerFormat("", "nothing", portablePixmaps()));
    EXPECT_FALSE(formats.registerFormat(".", "nothing", portablePixmaps()));
    EXPECT_FALSE(formats.registerFormat("xyz", "no factory", nullptr));
    EXPECT_FALSE(formats.isRegistered("xyz"));
    EXPECT_FALSE(formats.isRegistered(""));
    EXPECT_EQ(formats.formats().size(), 4);
}

TEST(PictureFormats, LoadingByNameNeedsARegisteredExtension) {
    const PictureFormats formats;
    TempDir dir;
    const QByteArray bmp = encoded(halves(4, 2, Qt::red, Qt::blue), "bmp");
    // Only the text after the last dot of the name counts.
    const QString noDot = dir.write("picture", bmp);
    const QString otherExtension = dir.write("picture.bmp.txt", bmp);
    const QString dotInFolder = dir.write("folder.bmp/picture", bmp);
    const QString good = dir.write("folder.bmp/picture.bmp", bmp);

    for (const QString& path : {noDot, otherExtension, dotInFolder}) {
        try {
            (void)formats.loadFromFile(path);
            ADD_FAILURE() << "loaded " << path.toStdString();
        } catch (const EInvalidGraphic& error) {
            EXPECT_TRUE(error.message().contains(path.section('/', -1))) << error.what();
        }
    }
    const auto picture = formats.loadFromFile(good);
    EXPECT_EQ(picture->image().pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(picture->image().pixelColor(3, 1), QColor(Qt::blue));
    EXPECT_THROW((void)formats.loadFromFile(dir.file("missing.bmp")), EInvalidGraphic);
    EXPECT_THROW((void)formats.loadFromFile(dir.mkdir("dir.bmp")), EInvalidGraphic);
}
