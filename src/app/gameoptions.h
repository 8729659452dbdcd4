#ifndef GAMEOPTIONS_H
#define GAMEOPTIONS_H

#include <QString>
#include <QStringList>
#include <QVector>

class OptionReader;

// The game's own command-line options. They are read before Qt starts, so
// that --help, --version and a mistake need no display; Qt's own options
// (-platform and the rest, with one dash or two) are left in place for
// QApplication.
struct GameOptions {
    bool fullscreen = false; // --fullscreen
    int scale = 0;           // --scale N; 0 when not given
    QString record;          // --record FILE
    QString replay;          // --replay FILE
    // --present: who scales the picture up, the CPU or OpenGL; auto lets the platform say.
    enum class Presenter { Auto, Gl, Raster };
    Presenter present = Presenter::Auto;
    bool mute = false; // --mute

    enum class Outcome { Run, Exit };
    struct Result {
        Outcome outcome = Outcome::Run;
        int status = 0; // the exit status when outcome is Exit
        QString output; // for stdout (status 0) or, as one line, stderr
    };

    // Parses arguments[1..] (argv as text). On Run, `passOn` holds the indices
    // of argv[0] and of every argument that is not ours, in order, for
    // QApplication.
    Result parse(const QStringList &arguments, QVector<int> &passOn);

    // One of the game's own options (reader at its name): "" or what is wrong.
    QString takeOwn(OptionReader &reader);

    static QString helpText();
    static QString versionText();
};

#endif
