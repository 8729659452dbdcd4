#include "texture.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPixmap>

Texture *Texture::inst()
{
    static Texture obj;
    return &obj;
}

Texture::Texture() = default;

Texture::~Texture()
{
    for (QPixmap *pixmap : std::as_const(textures))
        delete pixmap;
    textures.clear();
}

namespace {
QPixmap *loadPixmap(const QString &path)
{
    auto *pixmap = new QPixmap(path);
    if (!pixmap->isNull())
        return pixmap;
    QString alsoTried;
    if (QDir::isRelativePath(path)) {
        // Started from another folder: the same relative path from the
        // executable's folder finds the sheet of an installed or built game.
        const QString besideProgram =
            QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(path));
        if (pixmap->load(besideProgram))
            return pixmap;
        alsoTried = QStringLiteral(", also tried \"%1\"").arg(besideProgram);
    }
    qWarning("Cannot load image \"%s\" (working directory \"%s\"%s); "
             "sprites from it will not be drawn.",
             qPrintable(path), qPrintable(QDir::currentPath()), qPrintable(alsoTried));
    return pixmap;
}
} // namespace

// A name already present is not reloaded, even if its image failed to load.
void Texture::loadTexture(const QString &name, const QString &path)
{
    if (textures.contains(name))
        return;
    textures.insert(name, loadPixmap(path));
}

QPixmap *Texture::findTexture(const QString &name)
{
    return textures.value(name, nullptr);
}

QPixmap &Texture::getTexture(const QString &name)
{
    static QPixmap dummy;
    QPixmap *pixmap = textures.value(name, nullptr);
    return pixmap ? *pixmap : dummy;
}

void Texture::deleteTexture(const QString &name)
{
    const auto it = textures.find(name);
    if (it == textures.end())
        return;
    delete it.value();
    textures.erase(it);
}

void Texture::putSprite(const QString &name, QPainter *painter, const QPoint &centre,
                        const QPoint &source, const QSize &size)
{
    const QPixmap &pixmap = Texture::inst()->getTexture(name);
    const int w = size.width();
    const int h = size.height();
    // A negative target size makes the painter copy the source at its own size.
    painter->drawPixmap(QRectF(centre.x() - w / 2, centre.y() - h / 2, -1, -1), pixmap,
                        QRectF(source.x(), source.y(), w, h));
}
