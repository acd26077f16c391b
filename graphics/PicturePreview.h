#pragma once

// The preview pane: shows one picture as large as fits with its aspect ratio
// kept, centred on the pane's background (fittedRect), smoothly scaled at the
// screen's device pixel ratio. Loading a file builds a new picture through
// the picture-format registry; when that fails the error is raised and the
// picture already shown stays.

#include "graphics/Picture.h"
#include "graphics/StretchCache.h"

#include <QWidget>
#include <memory>

class PictureFormats;

class PicturePreview : public QWidget {
    Q_OBJECT

public:
    explicit PicturePreview(QWidget* parent = nullptr);
    ~PicturePreview() override;

    // Loads `path` through the program's registry (or `formats`); raises on failure.
    void loadFromFile(const QString& path);
    void loadFromFile(const QString& path, const PictureFormats& formats);
    // Shows `picture` (which may be empty), replacing the current one.
    void setPicture(std::unique_ptr<Picture> picture);
    [[nodiscard]] const Picture* picture() const { return picture_.get(); }
    // Drops the picture; the pane shows its background only.
    void clear();
    // True when a picture with an image is shown.
    [[nodiscard]] bool hasPicture() const;

    // How often the current picture was scaled for the pane.
    [[nodiscard]] int scaleCount() const { return cache_.scaleCount(); }

    [[nodiscard]] QSize sizeHint() const override;

signals:
    void pictureChanged();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // Where the picture goes in the pane now; empty without one.
    [[nodiscard]] QRect pictureRect() const;

    std::unique_ptr<Picture> picture_;
    // Where the last paint put a picture: all else shows the background.
    QRect drawnAt_;
    StretchCache cache_;
};
