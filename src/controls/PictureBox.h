#pragma once

#include <QPixmap>
#include <QWidget>

#include <functional>

// A surface with an optional picture at its top-left corner over its background colour, and a
// paint handler that draws over both. With ExtendEdges the picture's last column and row are
// drawn on to the edges, so a strip picture narrower or lower than the surface still fills it.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return picture_; }
    // What text on the surface stands on: the picture's average colour, or the background.
    QColor Behind() const;

    std::function<void(QPainter&)> Paint;
    bool ExtendEdges = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void Recolour();

    QPixmap picture_;
    QColor average_;
};
