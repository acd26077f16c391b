#pragma once

// Base of every picture type the program can show. A picture reads a file or a
// stream into a decoded image; a load that fails raises EInvalidGraphic (or the
// error of whatever decoded it) and leaves the picture as it was.
//
// Loading a file opens it and hands the stream to loadFromStream(), so a type
// that overrides only loadFromStream() reads files, streams and bytes alike.

#include <QImage>

class QIODevice;
class QString;

class Picture {
public:
    virtual ~Picture();

    // Reads the file at `path`; raises on any failure.
    virtual void loadFromFile(const QString& path);
    // Reads the picture from the device's current position; raises on any failure.
    virtual void loadFromStream(QIODevice& device) = 0;
    // Reads the picture from `bytes` through loadFromStream().
    void loadFromData(const QByteArray& bytes);
    // Takes over the decoded image of `source`.
    virtual void assign(const Picture& source);

    [[nodiscard]] const QImage& image() const { return image_; }
    [[nodiscard]] int width() const { return image_.width(); }
    [[nodiscard]] int height() const { return image_.height(); }
    [[nodiscard]] bool isEmpty() const { return image_.isNull(); }

protected:
    Picture() = default;
    Picture(const Picture&) = default;
    Picture& operator=(const Picture&) = default;

    // Sets the decoded image; called by a load only once it has fully succeeded.
    void setImage(QImage image) { image_ = std::move(image); }

private:
    QImage image_;
};
