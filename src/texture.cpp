#include "texture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <cstdio>
#include <unistd.h>

Texture *Texture::inst()
{
    static Texture obj;
    return &obj;
}

QStringList Texture::fallbackDirs;

Texture::Texture() = default;

Texture::~Texture()
{
    for (QPixmap *pixmap : std::as_const(textures))
        delete pixmap;
    textures.clear();
}

namespace {
// The largest image accepted, on each side: 4096 x 4096 pixels decode to 64 MB
// at 32 bits a pixel, far above any sprite sheet (the game's is 192 x 160) and
// far below what a board can spare. Qt 5 has no allocation limit of its own.
const int kMaxImageSide = 4096;

// What the image decoders say while reading, kept to be told inside the one
// warning about the image: Qt's messages (libpng's warnings among them) and
// what libpng writes straight to stderr when it gives up on a file.
QStringList *decoderMessages = nullptr;
void keepDecoderMessage(QtMsgType, const QMessageLogContext &, const QString &message)
{
    decoderMessages->append(message);
}

class DecoderMessages {
public:
    explicit DecoderMessages(QStringList &messages)
    {
        decoderMessages = &messages;
        previousHandler = qInstallMessageHandler(keepDecoderMessage);
        std::fflush(stderr);
        capture = std::tmpfile();
        savedStderr = capture ? ::dup(STDERR_FILENO) : -1;
        if (savedStderr >= 0)
            ::dup2(::fileno(capture), STDERR_FILENO);
    }
    ~DecoderMessages()
    {
        std::fflush(stderr);
        if (savedStderr >= 0) {
            ::dup2(savedStderr, STDERR_FILENO);
            ::close(savedStderr);
            std::rewind(capture);
            char line[512];
            while (std::fgets(line, sizeof line, capture))
                decoderMessages->append(QString::fromLocal8Bit(line).trimmed());
        }
        if (capture)
            std::fclose(capture);
        qInstallMessageHandler(previousHandler);
        decoderMessages = nullptr;
    }
    DecoderMessages(const DecoderMessages &) = delete;
    DecoderMessages &operator=(const DecoderMessages &) = delete;

private:
    QtMessageHandler previousHandler;
    std::FILE *capture;
    int savedStderr;
};

// Reads the image at `path` into `pixmap`. Returns what is wrong with the
// file, or an empty string when it loaded.
QString readImageQuietly(const QString &path, QPixmap &pixmap)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file");
    if (info.isDir())
        return QStringLiteral("it is a directory");
    // A FIFO or a device could block the game or never end.
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    if (info.size() == 0)
        return QStringLiteral("the file is empty");

    QImageReader reader(path);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    reader.setAllocationLimit(kMaxImageSide * kMaxImageSide * 4 / (1024 * 1024));
#endif
    if (!reader.canRead()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read it: %1").arg(file.errorString());
        return QStringLiteral("not an image in a format this build can read");
    }
    // The size comes from the header alone, before anything is decoded.
    const QSize declared = reader.size();
    if (!declared.isValid())
        return QStringLiteral("its header declares no valid image size");
    if (declared.width() > kMaxImageSide || declared.height() > kMaxImageSide)
        return QStringLiteral("its header declares %1x%2 pixels, more than the %3x%3 allowed")
            .arg(declared.width())
            .arg(declared.height())
            .arg(kMaxImageSide);
    const QImage image = reader.read();
    if (image.isNull())
        return QStringLiteral("cannot decode it: %1").arg(reader.errorString());
    pixmap = QPixmap::fromImage(image);
    return QString();
}

QString readImage(const QString &path, QPixmap &pixmap)
{
    QStringList messages;
    QString problem;
    {
        const DecoderMessages keep(messages);
        problem = readImageQuietly(path, pixmap);
    }
    messages.removeAll(QString());
    if (messages.isEmpty())
        return problem;
    if (problem.isEmpty())
        problem = QStringLiteral("decoded with errors, parts may be missing");
    return QStringLiteral("%1 (%2)").arg(problem, messages.join(QStringLiteral("; ")));
}

QPixmap *loadPixmap(const QString &path, const QSize &needed)
{
    auto *pixmap = new QPixmap;
    QString problem = readImage(path, *pixmap);
    QString shownPath = path;
    const auto tryAlso = [&](const QString &candidate) {
        QPixmap other;
        const QString otherProblem = readImage(candidate, other);
        if (!other.isNull()) {
            *pixmap = other;
            problem = otherProblem;
            shownPath = candidate;
        } else {
            problem += QStringLiteral("; also tried \"%1\": %2").arg(candidate, otherProblem);
        }
    };
    if (pixmap->isNull() && QDir::isRelativePath(path)) {
        // Started from another folder: the same relative path from the
        // executable's folder finds the sheet of a built game.
        const QString besideProgram =
            QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(path));
        if (besideProgram != QDir::cleanPath(QDir::current().absoluteFilePath(path)))
            tryAlso(besideProgram);
    }
    for (const QString &dir : std::as_const(Texture::fallbackDirs)) {
        if (pixmap->isNull())
            tryAlso(QDir(dir).filePath(QFileInfo(path).fileName()));
    }
    if (!pixmap->isNull() && problem.isEmpty() && needed.isValid() &&
        (pixmap->width() < needed.width() || pixmap->height() < needed.height()))
        problem = QStringLiteral("it is %1x%2 pixels, smaller than the %3x%4 the sprites need")
                      .arg(pixmap->width())
                      .arg(pixmap->height())
                      .arg(needed.width())
                      .arg(needed.height());
    if (problem.isEmpty())
        return pixmap;
    // One line whatever the file holds: the reason may quote a decoder.
    problem.replace(QLatin1Char('\n'), QLatin1Char(' '));
    qWarning("%s image \"%s\" (working directory \"%s\"): %s; %s.",
             pixmap->isNull() ? "Cannot load" : "Loaded", qPrintable(shownPath),
             qPrintable(QDir::currentPath()), qPrintable(problem),
             pixmap->isNull() ? "sprites from it will not be drawn"
                              : "sprites from it may be drawn in part or not at all");
    return pixmap;
}
} // namespace

// A name already present is not reloaded, even if its image failed to load.
void Texture::loadTexture(const QString &name, const QString &path, const QSize &needed)
{
    if (textures.contains(name))
        return;
    textures.insert(name, loadPixmap(path, needed));
}

QPixmap *Texture::findTexture(const QString &name)
{
    return textures.value(name, nullptr);
}

QPixmap &Texture::getTexture(const QString &name)
{
    static QPixmap dummy;
    // Every sprite asks for the same name: the hash lookup is done again only
    // when the name or the map changes.
    if (!textures.isSharedWith(lastMap) || name != lastName) {
        lastMap = textures;
        lastName = name;
        lastPixmap = textures.value(name, nullptr);
    }
    return lastPixmap ? *lastPixmap : dummy;
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
