#include <QApplication>

#include "view.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    View view(nullptr);
    view.show();
    return app.exec();
}
