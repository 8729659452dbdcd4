#ifndef TEXTURE_H
#define TEXTURE_H

#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;
class QPixmap;
class QPoint;

// Named pixmaps, loaded once, and the one sprite-drawing primitive of the game.
class Texture {
public:
    static Texture *inst();

    Texture();
    ~Texture();
    Texture(const Texture &) = delete;
    Texture &operator=(const Texture &) = delete;

    // Loads the image file under the name, unless the name is already taken. An
    // image that cannot be used is stored as a null pixmap, which draws nothing;
    // that, or an image smaller than `needed`, is told in one warning.
    void loadTexture(const QString &name, const QString &path, const QSize &needed = QSize());
    QPixmap *findTexture(const QString &name);
    QPixmap &getTexture(const QString &name);
    void deleteTexture(const QString &name);

    // Draws the region (source, size) of the named pixmap centred on `centre`, at 1:1.
    void putSprite(const QString &name, QPainter *painter, const QPoint &centre,
                   const QPoint &source, const QSize &size);

    QHash<QString, QPixmap *> textures;

    // Folders where loadTexture looks for an image's file name when its path
    // holds nothing loadable: none here; an installed program adds its data folder.
    static QStringList fallbackDirs;

private:
    // getTexture's last answer: `lastPixmap` is what `lastMap` held under
    // `lastName`. lastMap shares `textures`' data, so any change to the map
    // detaches one from the other and the answer is looked up again.
    QHash<QString, QPixmap *> lastMap;
    QString lastName;
    QPixmap *lastPixmap = nullptr;
};

#endif
